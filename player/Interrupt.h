#pragma once
// The interrupt handler, and the state of the running pass that it shares with the playback
// loop. At each v-blank of a pass it swaps the sound buffer first (before anything can delay
// it), counts the refresh, paces the frames, watches the keys and decodes the next block of
// sound; the playback loop does everything else. The sound is decoded here rather than in
// the loop because drawing one record can take longer than a refresh.
#include "player/AdpcmTables.h"
#include "player/Iwram.h"
#include <stdint.h>

struct PassState {
    bool running;      // the handler leaves everything alone while this is clear
    bool soundOn;
    bool keysChanged;  // set by the handler: KEYINPUT differs from `keys`
    uint16_t keys;     // KEYINPUT (the ten key bits) when the pass started
    uint32_t frameStep;
    uint32_t paceFraction;     // low half of the 16.16 pace accumulator; the whole part is framesDue
    uint32_t framesDueBefore;  // framesDue as it was before the latest refresh
    const uint8_t* adpcmNext;  // next block of sound to decode
    uint32_t playingBuffer;    // sound buffer that DMA channel 1 reads
    adpcm::DecoderState adpcm;
};

// Written by the playback loop only while `running` is clear, or with IME = 0.
extern PassState gPass;

// Entered by the BIOS in ARM state on the IRQ stack; returns with BX LR.
KAVRO_IWRAM_ARM void HandleInterrupt();
