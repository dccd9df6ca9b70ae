#pragma once
// The player's reconstruction of 4-bit ADPCM on the host: predictor and step index from 0,
// low nibble first, predictor clamped to -512..511, each sample the predictor >> 2.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "format/Adpcm.h"

class AdpcmDecoder {
public:
    // Applies one 4-bit code (higher bits ignored) and returns the signed 8-bit sample the player plays.
    int8_t DecodeNibble(uint8_t code);
    // Decodes whole bytes, low nibble first, while out has room for both of their samples.
    // Returns the number of samples written.
    size_t Decode(std::span<const uint8_t> bytes, std::span<int8_t> out);

    AdpcmState state;  // carries on from call to call
};

// Decodes a whole audio block payload from the initial state: two samples per byte.
std::vector<int8_t> DecodeAdpcmBlock(std::span<const uint8_t> payload);
