#pragma once
// Frame records made by our Cinepak compressor, driven through the compression manager as
// the movie encoder drives it, and repacked as the movie encoder repacks its frames.
#include <cstdint>
#include <span>
#include <vector>

#include "tests/player/FrameRecord.h"

// `pictures` are 8-bit R, G, B rows, top row first. `frameBytes` is the desired size of
// every frame (0: no particular size). Frame 0 is intra, and so is every `keyInterval`-th
// frame, asked for as the movie encoder asks for a seek point's (0: none); the compressor
// decides the rest.
std::vector<FrameRecord> EncodeWithOurCinepak(std::span<const std::vector<uint8_t>> pictures, int width, int height,
                                              uint32_t frameBytes, uint32_t keyInterval = 0);
