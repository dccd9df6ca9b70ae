#pragma once
// The decoder's two codebooks, kept from frame to frame as Cinepak requires, with every entry
// already turned into the BGR555 pixels it draws.
#include "format/Cinepak.h"
#include "player/Iwram.h"
#include <stdint.h>

struct Codebooks {
    // V4 entries: a 2 x 2 block as its top and bottom line, two pixels each (left pixel in
    // the low half, as it lies in memory).
    uint32_t v4[cinepak::kSlots][2];
    // V1 entries, scaled up to 4 x 4: lines 0-1 as {left pair, right pair}, lines 2-3 likewise.
    uint32_t v1[cinepak::kSlots][4];
};

// Reads a codebook chunk: `chunkType` is its id byte, one of the codebook ids of
// cinepak::ChunkId (a selective update with kPartialBit, the V1 codebook with kV1Bit,
// 4-byte entries with kLumaOnlyBit); `data` .. `end` its payload.
// Entries are turned into 15-bit colour exactly as FFmpeg's decoder turns them into 24-bit
// colour, then reduced to 5 bits a channel.
KAVRO_IWRAM_ARM void LoadCodebook(uint32_t chunkType, const uint8_t* data, const uint8_t* end, Codebooks& books);
