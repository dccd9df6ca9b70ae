#include "cinepak/PictureAnalysis.h"

#include <cassert>

namespace cinepak {

namespace {

int32_t SquaredError(const uint8_t* a, const uint8_t* b, int bytes) {
    int32_t sum = 0;
    for (int i = 0; i < bytes; ++i) {
        const int32_t diff = int32_t(a[i]) - int32_t(b[i]);
        sum += diff * diff;
    }
    return sum;
}

}  // namespace

PictureAnalysis::PictureAnalysis(int width, int height)
    : width_(width),
      height_(height),
      blocks_((width / 4) * (height / 4)),
      pixels_(size_t(blocks_) * kBlockBytes),
      areaVectors_(size_t(blocks_) * 4),
      blockVectors_(size_t(blocks_)) {
    assert(width % 4 == 0 && height % 4 == 0);
}

void PictureAnalysis::Load(const uint8_t* bgrBottomUp) {
    const size_t stride = size_t(width_) * 3;
    const int blocksWide = BlocksWide();
    for (int row = 0; row < height_; ++row) {
        const uint8_t* source = bgrBottomUp + size_t(height_ - 1 - row) * stride;
        uint8_t* blockRow = pixels_.data() + size_t(row / 4) * blocksWide * kBlockBytes;
        for (int column = 0; column < width_; ++column) {
            uint8_t* pixel = blockRow + size_t(column / 4) * kBlockBytes + BlockPixelOffset(column % 4, row % 4);
            pixel[0] = source[3 * column + 2];
            pixel[1] = source[3 * column + 1];
            pixel[2] = source[3 * column];
        }
    }
    for (int block = 0; block < blocks_; ++block) {
        const uint8_t* pixels = BlockPixels(block);
        for (int area = 0; area < 4; ++area) areaVectors_[4 * block + area] = AreaVector(pixels + kAreaBytes * area);
        blockVectors_[block] = BlockVector(pixels);
    }
}

int32_t BlockError(const uint8_t* block, const uint8_t* other) { return SquaredError(block, other, kBlockBytes); }

int32_t AreaError(const uint8_t* area, const EntryPixels& entry) { return SquaredError(area, entry.data(), kAreaBytes); }

int32_t V1Error(const uint8_t* block, const EntryPixels& entry) {
    int32_t sum = 0;
    for (int area = 0; area < 4; ++area)
        for (int pixel = 0; pixel < 4; ++pixel)
            sum += SquaredError(block + kAreaBytes * area + 3 * pixel, entry.data() + 3 * area, 3);
    return sum;
}

}  // namespace cinepak
