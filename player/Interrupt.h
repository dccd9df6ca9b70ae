#pragma once
// The interrupt handler, and the state of the running pass that it shares with the playback
// loop. At each v-blank of a pass it swaps the sound buffer first (before anything can delay
// it), counts the refresh, paces the frames, watches the keys, decodes the next block of
// sound and copies the picture that has become due to the screen; the playback loop draws
// the pictures. Sound and copy are done here rather than in the loop because drawing one
// record can take longer than a refresh.
#include "format/Adpcm.h"
#include "player/Iwram.h"
#include <stdint.h>

struct PassState {
    bool running;      // the handler leaves everything alone while this is clear
    bool soundOn;
    bool keysChanged;  // set by the handler: KEYINPUT differs from `keys`
    uint16_t keys;     // KEYINPUT (the ten key bits) when the pass started
    bool showFirstAtOnce;  // record 0 goes to the screen as soon as it is drawn (a restart by the keys)
    uint32_t frameStep;
    uint32_t soundStart;   // the pass's refresh at which the first sound sample plays, 2 or later
    uint32_t paceFraction;     // low half of the 16.16 pace accumulator; the whole part is framesDue
    uint32_t framesDueBefore;  // framesDue as it was before the latest refresh
    const uint8_t* adpcmNext;  // next block of sound to decode
    uint32_t playingBuffer;    // sound buffer that DMA channel 1 reads
    AdpcmState adpcm;
    uint32_t frameCount;       // frame records in the stream
    uint32_t framesDrawn;      // records drawn completely, record k into work buffer k % 2
    uint32_t framesTaken;      // records shown or passed over: their buffers may be drawn into
    uint32_t copyCycles;       // CPU cycles spent copying pictures to the screen in this pass
};

// Written by the playback loop only while `running` is clear, or with IME = 0; framesDrawn,
// which only the loop writes, at any time.
extern PassState gPass;

// Entered by the BIOS in ARM state on the IRQ stack; returns with BX LR.
KAVRO_IWRAM_ARM void HandleInterrupt();
