#pragma once
// Pictures and records the player tests feed through the handheld: 8-bit R, G, B rows,
// top row first, and hand-made records that use every chunk kind the player decodes.
#include <cstdint>
#include <vector>

#include "tests/player/FrameRecord.h"

// A still colour ramp with a bright square that moves with `index`, so that inter frames
// hold both skipped and coded blocks.
std::vector<uint8_t> MovingPicture(int width, int height, int index);

// Every byte random: the hardest picture for the compressor and the decoder.
std::vector<uint8_t> NoisePicture(int width, int height, uint32_t seed);

// Five records: full colour V4 + full luma-only V1 with 0x30 vectors; selective colour V4 and
// luma-only V1 updates with 0x31 vectors; selective luma-only V4 and colour V1 updates with
// 0x31; a short full colour V1 book with all-V1 0x32 vectors; a short full luma-only V4
// book with 0x30. Entries reach the clamping limits of the colour formula.
std::vector<FrameRecord> MakeHandMadeRecords(int width, int height, uint32_t seed);
