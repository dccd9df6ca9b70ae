#pragma once
// Layout of the movie stream that the handheld player reads behind its own image.
// Freestanding: the player includes this header too. All fields are little-endian.
//
//   header       u32 frame count | u32 frameStep (16.16) | u16 width | u16 height
//   FrameRecord  u16 record length (header included) | u16 strip id | Cinepak strip chunks
//   audio block  u32 AudioBlockCount | AudioBlockCount x 176 bytes of 4-bit ADPCM
namespace movie_stream {

inline constexpr unsigned kHeaderBytes = 12;
inline constexpr unsigned kFrameCountOffset = 0;
inline constexpr unsigned kFrameStepOffset = 4;
inline constexpr unsigned kSizeOffset = 8;
inline constexpr unsigned kRecordHeaderBytes = 4;
inline constexpr unsigned kMaxRecordBytes = 65523;  // a 65,541-byte Cinepak frame less its 18 header bytes
inline constexpr unsigned kAudioCountBytes = 4;
inline constexpr unsigned kAudioBlockBytes = 176;
inline constexpr unsigned kAudioBlockSamples = 352;  // one display refresh at 21024 Hz
inline constexpr unsigned kIntraStripId = 0x1000;
inline constexpr unsigned kInterStripId = 0x1100;
inline constexpr unsigned kOneFrame = 0x10000;  // frameStep of one movie frame per refresh
inline constexpr unsigned kMaxWidth = 240;
inline constexpr unsigned kMaxHeight = 160;

}  // namespace movie_stream
