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

// A pause as the playback loop asks for it and the handler carries it out, at v-blanks: the
// pass's clock (refresh count, pace, sound) stands still from the v-blank that takes the pause
// to the one after the v-blank that takes the resume.
enum PauseState : uint8_t {
    kPlaying,
    kPauseAsked,   // the next v-blank ramps the sound down to silence and stops the clock
    kFading,       // the ramp plays; the v-blank after it stops the sound
    kPaused,
    kResumeAsked,  // the next v-blank starts the sound on silence, the one after it the clock
};

struct PassState {
    bool running;      // the handler leaves everything alone while this is clear
    bool soundOn;
    bool keysChanged;  // set by the handler: KEYINPUT differs from `keys` (without controls)
    uint16_t keys;     // KEYINPUT (the ten key bits) when the pass started
    bool showFirstAtOnce;  // the first record goes to the screen as soon as it is drawn (a restart, a seek)
    bool controls;         // the keys make requests for the playback loop instead of ending the pass
    uint8_t pause;         // PauseState
    uint32_t firstRecord;  // the record the pass starts at: 0, or a seek point
    uint32_t frameStep;
    uint32_t soundStart;   // the pass's refresh at which the first sound sample plays, 2 or later
    uint32_t paceFraction;     // low half of the 16.16 pace accumulator; the whole part is framesDue
    uint32_t framesDueBefore;  // framesDue as it was before the latest refresh
    const uint8_t* adpcmNext;  // next block of sound to decode
    const uint8_t* restartAt;  // the next block at which the coder started afresh (a seek point's); null: none
    uint32_t restartPoint;     // the seek point of restartAt
    uint32_t playingBuffer;    // sound buffer that DMA channel 1 reads
    AdpcmState adpcm;
    uint32_t frameCount;       // frame records in the stream
    uint32_t framesDrawn;      // records drawn completely (from record 0 on), record k into work buffer k % 2
    uint32_t framesTaken;      // records shown or passed over (from record 0 on): their buffers may be drawn into
    uint32_t copyCycles;       // CPU cycles spent copying pictures to the screen in this pass
};

// Written by the playback loop only while `running` is clear, or with IME = 0; framesDrawn,
// which only the loop writes, at any time.
extern PassState gPass;

// Entered by the BIOS in ARM state on the IRQ stack; returns with BX LR.
KAVRO_IWRAM_ARM void HandleInterrupt();
