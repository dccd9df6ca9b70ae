#include "player/AdpcmDecoder.h"

void DecodeAdpcmBlock(const uint8_t* block, int8_t* out, AdpcmState& state) {
    AdpcmState local = state;
    for (uint32_t i = 0; i < kAdpcmBlockBytes; ++i) {
        adpcm::DecodeByte(local, block[i], out + 2 * i);
    }
    state = local;
}
