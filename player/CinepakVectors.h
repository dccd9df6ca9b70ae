#pragma once
// Drawing a strip's vectors chunk: 4 x 4 blocks from left to right and top to bottom, each
// from one V1 entry or four V4 entries, or left as the previous frame had it.
#include "player/CinepakCodebooks.h"
#include "player/Display.h"
#include "player/Iwram.h"
#include <stdint.h>

// Draws the vectors chunk `data` .. `end` of type `chunkType` (0x30 intra with V1/V4 flags,
// 0x31 inter with skip flags, 0x32 V1 only) into `grid`. Stops where the data runs out,
// keeping the blocks drawn so far; it never writes outside `grid`.
KAVRO_IWRAM_ARM void ExpandVectors(uint32_t chunkType, const uint8_t* data, const uint8_t* end,
                                   const Codebooks& books, const BlockGrid& grid);
