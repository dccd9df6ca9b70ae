#pragma once
// Drawing a strip's vectors chunk: 4 x 4 blocks from left to right and top to bottom, each
// from one V1 entry or four V4 entries, or left as the previous frame had it.
//
// Each draws the chunk payload `data` .. `end` into `grid` and stops where the data runs out,
// keeping the blocks drawn so far; none writes outside `grid`.
#include "player/CinepakCodebooks.h"
#include "player/Display.h"
#include "player/Iwram.h"
#include <stdint.h>

extern "C" {

// 0x30: intra, one flag bit a block chooses V4 or V1.
KAVRO_IWRAM_ARM void ExpandIntraVectors(const uint8_t* data, const uint8_t* end, const Codebooks* books,
                                        const BlockGrid* grid);
// 0x31: inter, blocks may be skipped.
KAVRO_IWRAM_ARM void ExpandInterVectors(const uint8_t* data, const uint8_t* end, const Codebooks* books,
                                        const BlockGrid* grid);
// 0x32: every block V1.
KAVRO_IWRAM_ARM void ExpandV1Vectors(const uint8_t* data, const uint8_t* end, const Codebooks* books,
                                     const BlockGrid* grid);
}
