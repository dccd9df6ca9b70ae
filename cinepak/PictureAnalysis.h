#pragma once
// Analysis of one input picture: its pixels regrouped block by block, the training vectors of
// its 2x2 areas and 4x4 blocks, and the exact squared errors of each way to code a block.
// Decides nothing.
//
// Block layout, used for the source and the reconstruction alike: blocks left to right, top to
// bottom; inside a block 48 bytes, its four 2x2 areas (top-left, top-right, bottom-left,
// bottom-right), each four pixels in the same order, each pixel R, G, B.
#include <cstdint>
#include <span>
#include <vector>

#include "cinepak/CinepakColour.h"

namespace cinepak {

inline constexpr int kBlockBytes = 48;
inline constexpr int kAreaBytes = 12;

class PictureAnalysis {
public:
    // Allocates for pictures of this size (multiples of 4).
    PictureAnalysis(int width, int height);

    // Reads a picture of bottom-up rows of width x 3 bytes, B, G, R; the top row becomes the
    // first row of blocks.
    void Load(const uint8_t* bgrBottomUp);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BlocksWide() const { return width_ / 4; }
    int Blocks() const { return blocks_; }
    const uint8_t* BlockPixels(int block) const { return pixels_.data() + size_t(block) * kBlockBytes; }
    // Four per block, in area order.
    std::span<const VqVector> AreaVectors() const { return areaVectors_; }
    // One per block.
    std::span<const VqVector> BlockVectors() const { return blockVectors_; }

private:
    int width_;
    int height_;
    int blocks_;
    std::vector<uint8_t> pixels_;
    std::vector<VqVector> areaVectors_;
    std::vector<VqVector> blockVectors_;
};

// Squared RGB error of two blocks in block layout.
int32_t BlockError(const uint8_t* block, const uint8_t* other);
// Squared RGB error of one 2x2 area coded with an entry (V4).
int32_t AreaError(const uint8_t* area, const EntryPixels& entry);
// Squared RGB error of a block coded with one entry scaled up twice (V1).
int32_t V1Error(const uint8_t* block, const EntryPixels& entry);

// Byte offset of pixel (x, y), 0..3 each, inside a block in block layout.
constexpr int BlockPixelOffset(int x, int y) { return kAreaBytes * ((y / 2) * 2 + x / 2) + 3 * ((y % 2) * 2 + x % 2); }

}  // namespace cinepak
