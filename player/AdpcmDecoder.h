#pragma once
// Decoding one refresh of the stream's 4-bit ADPCM into a sound buffer.
#include "player/AdpcmTables.h"
#include "player/Iwram.h"
#include <stdint.h>

// Decodes kAdpcmBlockBytes bytes from `block` into 2 x kAdpcmBlockBytes samples at `out`,
// carrying `state` on.
KAVRO_IWRAM_ARM void DecodeAdpcmBlock(const uint8_t* block, int8_t* out, AdpcmState& state);
