#include "audio/AdpcmDecoder.h"

#include <algorithm>

int8_t AdpcmDecoder::DecodeNibble(uint8_t code) {
    state.Advance(code);
    return int8_t(state.predictor >> 2);
}

size_t AdpcmDecoder::Decode(std::span<const uint8_t> bytes, std::span<int8_t> out) {
    const size_t byteCount = std::min(bytes.size(), out.size() / 2);
    for (size_t k = 0; k < byteCount; ++k) {
        out[2 * k] = DecodeNibble(bytes[k] & 0x0F);
        out[2 * k + 1] = DecodeNibble(bytes[k] >> 4);
    }
    return 2 * byteCount;
}

std::vector<int8_t> DecodeAdpcmBlock(std::span<const uint8_t> payload) {
    std::vector<int8_t> samples(payload.size() * 2);
    AdpcmDecoder().Decode(payload, samples);
    return samples;
}
