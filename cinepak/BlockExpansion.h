#pragma once
// The decoder's expansion of coded blocks into pixels, used to rebuild every frame exactly as
// FFmpeg's decoder and the handheld show it. The rebuilt picture is the reference for skips.
#include <cstdint>
#include <span>

#include "cinepak/FramePlan.h"

namespace cinepak {

// Draws the coded blocks over `picture` (block layout, 48 bytes a block); skipped blocks keep
// their pixels.
void ExpandBlocks(std::span<const BlockCode> blocks, const Codebook& v1, const Codebook& v4, std::span<uint8_t> picture);

}  // namespace cinepak
