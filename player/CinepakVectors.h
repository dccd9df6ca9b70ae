#pragma once
// Drawing a strip's vectors chunk: 4 x 4 blocks from left to right and top to bottom, each
// from one V1 entry or four V4 entries, or left as the previous picture had it.
//
// Pictures alternate between two work buffers, so the buffer drawn into holds the picture
// before the previous one. A block that the previous picture drew is out of date there; a
// block of that kind that is left as it was is copied over from the previous picture's buffer.
// Which blocks those are is kept in `changed`, one byte a block: each drawn block sets its
// byte to 1, each block copied over clears it.
//
// Each draws the chunk payload `data` .. `end` into `canvas`. Where the data runs out, the
// blocks drawn so far stay and every block after them is left as the previous picture had
// it, as if skipped; an empty 0x31 chunk leaves the whole picture so. None writes outside the
// picture.
#include "player/CinepakCodebooks.h"
#include "player/Iwram.h"
#include <stdint.h>

struct Canvas {
    uint32_t* origin;    // the picture's first word in the buffer drawn into
    uint32_t blocksWide;
    uint32_t blocksHigh;
    int32_t toPrevious;  // bytes from a word there to the same word of the previous picture
    uint8_t* changed;    // blocksWide x blocksHigh bytes, top line of blocks first
};

extern "C" {

// 0x30: intra, one flag bit a block chooses V4 or V1.
KAVRO_IWRAM_ARM void ExpandIntraVectors(const uint8_t* data, const uint8_t* end, const Codebooks* books,
                                        const Canvas* canvas);
// 0x31: inter, blocks may be skipped.
KAVRO_IWRAM_ARM void ExpandInterVectors(const uint8_t* data, const uint8_t* end, const Codebooks* books,
                                        const Canvas* canvas);
// 0x32: every block V1.
KAVRO_IWRAM_ARM void ExpandV1Vectors(const uint8_t* data, const uint8_t* end, const Codebooks* books,
                                     const Canvas* canvas);
}
