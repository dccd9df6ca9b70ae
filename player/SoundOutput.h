#pragma once
// Direct-sound channel A fed by DMA channel 1 from one of the two sound buffers, one sample
// per overflow of timer 0 (every handheld::kSampleCycles cycles, so that a buffer of
// handheld::kSamplesPerRefresh samples lasts exactly one refresh).
#include "format/Handheld.h"
#include "player/hw/Registers.h"
#include <stdint.h>

namespace sound {

inline constexpr uint16_t kTimerReload = 0x10000 - handheld::kSampleCycles;  // 0xFCE2

// Resets FIFO A and starts playing `buffer` at the sample rate.
inline void Start(const int8_t* buffer) {
    hw::SOUNDCNT_H = hw::SOUNDCNT_H_A_FULL_TM0_RESET;
    hw::DMA1CNT_H = 0;
    hw::DMA1SAD = reinterpret_cast<uintptr_t>(buffer);
    hw::DMA1DAD = hw::FIFO_A;
    hw::DMA1CNT_H = hw::DMA_SOUND_FIFO;
    hw::TM0CNT_H = 0;
    hw::TM0CNT_L = kTimerReload;
    hw::TM0CNT_H = hw::TM_START;
}

// Points DMA channel 1 at the next buffer. The timer and the FIFO run on: restarting either
// would drop queued samples or break the lock between sample clock and refresh.
inline void Feed(const int8_t* buffer) {
    hw::DMA1CNT_H = 0;
    hw::DMA1SAD = reinterpret_cast<uintptr_t>(buffer);
    hw::DMA1CNT_H = hw::DMA_SOUND_FIFO;  // enabling reloads the source address
}

inline void Stop() {
    hw::TM0CNT_H = 0;
    hw::DMA1CNT_H = 0;
}

}  // namespace sound
