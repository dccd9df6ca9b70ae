#pragma once
// The player's reconstruction of 4-bit ADPCM on the host: predictor and step index from 0,
// low nibble first, predictor clamped to -512..511, each sample the predictor >> 2.
#include <cstdint>
#include <span>

class AdpcmDecoder {
public:
    int8_t DecodeNibble(uint8_t code);
    // Decodes bytes.size() * 2 samples into out (which holds at least that many).
    void Decode(std::span<const uint8_t> bytes, std::span<int8_t> out);

    int32_t predictor = 0;
    int32_t stepIndex = 0;
};
