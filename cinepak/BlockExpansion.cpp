#include "cinepak/BlockExpansion.h"

#include <algorithm>

#include "cinepak/PictureAnalysis.h"

namespace cinepak {

void ExpandBlocks(std::span<const BlockCode> blocks, const Codebook& v1, const Codebook& v4, std::span<uint8_t> picture) {
    for (size_t block = 0; block < blocks.size(); ++block) {
        const BlockCode& code = blocks[block];
        uint8_t* pixels = picture.data() + block * kBlockBytes;
        if (code.mode == BlockMode::V4) {
            // Each area takes its own entry's four pixels.
            for (int area = 0; area < 4; ++area)
                std::copy_n(v4.pixels[code.index[area]].data(), kAreaBytes, pixels + kAreaBytes * area);
        } else if (code.mode == BlockMode::V1) {
            // Each luma value of the one entry covers a whole 2x2 area.
            const EntryPixels& entry = v1.pixels[code.index[0]];
            for (int area = 0; area < 4; ++area)
                for (int pixel = 0; pixel < 4; ++pixel)
                    std::copy_n(entry.data() + 3 * area, 3, pixels + kAreaBytes * area + 3 * pixel);
        }
    }
}

}  // namespace cinepak
