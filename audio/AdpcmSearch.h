#pragma once
// A 4-bit ADPCM coder for the same decoding rule as the exact coder that looks ahead instead of
// choosing each code on its own: it keeps the few code sequences that have left the least error
// so far, extends each by the codes near its own next sample, and emits the best sequence once
// it has seen far enough past it. The error it minimises is that of what the player plays, the
// predictor's top 8 bits, against the 16-bit sample.
#include <cstddef>
#include <cstdint>
#include <span>

// Codes payload.size() x 2 samples into `payload`, two per byte, low nibble first, from the
// initial state (predictor 0, step index 0). Samples beyond `samples` are coded as silence.
// `track`, when not empty (as long as the samples coded), receives the predictor a decoder
// holds after each code.
void EncodeAdpcmSearched(std::span<const int16_t> samples, std::span<uint8_t> payload,
                         std::span<int16_t> track = {});
