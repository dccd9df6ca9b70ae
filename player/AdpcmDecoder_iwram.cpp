#include "player/AdpcmDecoder.h"

void DecodeAdpcmBlock(const uint8_t* block, int8_t* out, adpcm::DecoderState& state) {
    adpcm::DecoderState local = state;
    for (uint32_t i = 0; i < kAdpcmBlockBytes; ++i) {
        adpcm::DecodeByte(local, block[i], out + 2 * i);
    }
    state = local;
}
