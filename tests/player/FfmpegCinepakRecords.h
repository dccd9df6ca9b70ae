#pragma once
// Frame records made by FFmpeg's Cinepak encoder, one strip per frame, repacked as the
// movie encoder repacks a compressor's frames.
#include <cstdint>
#include <span>
#include <vector>

#include "tests/player/FrameRecord.h"

// `pictures` are 8-bit R, G, B rows, top row first; every `keyInterval`-th frame is intra.
std::vector<FrameRecord> EncodeWithFfmpegCinepak(std::span<const std::vector<uint8_t>> pictures, int width, int height,
                                                 int keyInterval);
