#pragma once
// The handheld as both sides count it: the screen the player draws on, and the display
// refresh that paces pictures and sound alike. Freestanding: the player includes it too.
#include <stdint.h>

namespace handheld {

// The 16-bit bitmap mode's screen, in pixels.
inline constexpr uint32_t kScreenWidth = 240;
inline constexpr uint32_t kScreenHeight = 160;

// Where a picture side of `pictureSide` pixels (at most `screenSide`) starts on a screen side:
// pictures are shown in the middle of the screen.
constexpr uint32_t CentredOffset(uint32_t screenSide, uint32_t pictureSide) { return (screenSide - pictureSide) / 2; }

inline constexpr uint32_t kCpuHz = 1u << 24;           // CPU cycles per second
inline constexpr uint32_t kCyclesPerRefresh = 280896;  // 228 lines of 1232 cycles
// The true refresh rate, 59.7275 Hz (not the decimal that the frame step is planned with).
inline constexpr double kRefreshHz = double(kCpuHz) / kCyclesPerRefresh;

// Timer 0 moves one sound sample to the FIFO every 798 cycles (2^24 / 798 = 21024.08 Hz), so
// that a whole number of samples, a multiple of the FIFO's 16-byte refill, lasts one refresh:
// the buffers can be swapped at every v-blank without a click.
inline constexpr uint32_t kSampleCycles = 798;
inline constexpr uint32_t kSamplesPerRefresh = kCyclesPerRefresh / kSampleCycles;  // 352
static_assert(kSamplesPerRefresh * kSampleCycles == kCyclesPerRefresh && kSamplesPerRefresh % 16 == 0);

}  // namespace handheld
