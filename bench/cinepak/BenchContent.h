#pragma once
// Natural-looking test content made on the spot: a large detailed picture (layered noise
// terrain with buildings, discs and lines) seen through a camera that pans and zooms, then
// noise-free synthetic patterns (scrolling colour bars, moving rings, scrolling glyph rows).
#include <cstdint>
#include <vector>

namespace cinepak_bench {

// Top-down R, G, B pictures of width x height.
std::vector<std::vector<uint8_t>> MakeFrames(int width, int height, int pannedFrames, int syntheticFrames);

}  // namespace cinepak_bench
