#pragma once
// Layout of the movie stream that the player reads from the first byte behind its own image.
// All fields are little-endian. Freestanding: the player includes it too.
//
//   header       u32 frame count | u32 frameStep (16.16) | u16 width | u16 height
//   FrameRecord  u16 record length (header included) | u16 strip id | Cinepak strip chunks
//   audio block  u32 AudioBlockCount | AudioBlockCount x kAdpcmBlockBytes of 4-bit ADPCM
#include <stdint.h>

#include "format/Adpcm.h"
#include "format/Cinepak.h"
#include "format/Handheld.h"

namespace movie_stream {

inline constexpr uint32_t kHeaderBytes = 12;
inline constexpr uint32_t kFrameCountOffset = 0;
inline constexpr uint32_t kFrameStepOffset = 4;
inline constexpr uint32_t kSizeOffset = 8;  // width in the low half, height in the high half

// A record holds one strip's chunks behind a header of its own instead of the strip's: its
// strip id is cinepak::kIntraStripId or cinepak::kInterStripId.
inline constexpr uint32_t kRecordHeaderBytes = 4;
inline constexpr uint32_t kMaxRecordBytes = 65523;
// The Cinepak frame whose one strip fills the longest record: the most the compressor may write.
inline constexpr uint32_t kMaxFrameBytes =
    cinepak::kFrameHeaderBytes + cinepak::kStripHeaderBytes - kRecordHeaderBytes + kMaxRecordBytes;
// Record lengths are multiples of this, so that every record header and the audio block's
// count lie where the player's 16- and 32-bit loads read them correctly.
inline constexpr uint32_t kRecordAlignment = 4;

inline constexpr uint32_t kAudioCountBytes = 4;
// The collected sound's rate: 2^24 / 798 Hz, the rate the player plays at, to the nearest hertz.
inline constexpr uint32_t kSampleRateHz = 21024;
static_assert(kSampleRateHz == (handheld::kCpuHz + handheld::kSampleCycles / 2) / handheld::kSampleCycles);

inline constexpr uint32_t kOneFrame = 0x10000;  // frameStep of one movie frame per refresh
// The refresh rate that frameStep is planned with: this decimal, not the true 59.7275.
inline constexpr double kFrameStepRefreshHz = 59.727;
// Pictures are at most the screen's size.
inline constexpr uint32_t kMaxWidth = handheld::kScreenWidth;
inline constexpr uint32_t kMaxHeight = handheld::kScreenHeight;

}  // namespace movie_stream
