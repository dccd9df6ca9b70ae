#pragma once
// The stream's ADPCM reconstruction rule, precomputed per step index so that decoding a byte
// (two samples) takes three table reads and two clamps. Built by the compiler into ROM
// (about 39 KB) from the rule itself.
#include "format/Adpcm.h"
#include <stdint.h>

namespace adpcm {

struct DecodeTables {
    int16_t codeDelta[kAdpcmStepCount][16];    // predictor change of a code at a step index
    int16_t highDelta[kAdpcmStepCount][256];   // change by a byte's high nibble, indexed by the
                                               // step index before its low nibble
    uint8_t nextIndex[kAdpcmStepCount][256];   // step index after both nibbles of a byte
};

constexpr DecodeTables MakeDecodeTables() {
    DecodeTables tables{};
    for (int index = 0; index < kAdpcmStepCount; ++index) {
        for (uint32_t code = 0; code < 16; ++code) {
            tables.codeDelta[index][code] = static_cast<int16_t>(AdpcmDelta(index, code));
        }
        for (uint32_t byte = 0; byte < 256; ++byte) {
            const int afterLow = AdpcmIndexAfter(index, byte & 15);
            tables.highDelta[index][byte] = static_cast<int16_t>(AdpcmDelta(afterLow, byte >> 4));
            tables.nextIndex[index][byte] = static_cast<uint8_t>(AdpcmIndexAfter(afterLow, byte >> 4));
        }
    }
    return tables;
}

inline constexpr DecodeTables kDecodeTables = MakeDecodeTables();

// Decodes one byte, low nibble first; each sample is the predictor >> 2.
constexpr void DecodeByte(AdpcmState& state, uint32_t byte, int8_t* out) {
    const DecodeTables& t = kDecodeTables;
    int32_t predictor = ClampAdpcmPredictor(state.predictor + t.codeDelta[state.stepIndex][byte & 15]);
    out[0] = static_cast<int8_t>(predictor >> 2);
    predictor = ClampAdpcmPredictor(predictor + t.highDelta[state.stepIndex][byte]);
    out[1] = static_cast<int8_t>(predictor >> 2);
    state.predictor = predictor;
    state.stepIndex = t.nextIndex[state.stepIndex][byte];
}

// Every byte at every step index, from the predictor's middle and both of its ends, decodes as
// the rule decodes its two codes one after the other.
constexpr bool TablesFollowTheRule() {
    const int32_t predictors[] = {kAdpcmPredictorMin, 0, kAdpcmPredictorMax};
    for (int32_t predictor : predictors) {
        for (int32_t index = 0; index < kAdpcmStepCount; ++index) {
            for (uint32_t byte = 0; byte < 256; ++byte) {
                AdpcmState byTables{predictor, index};
                int8_t samples[2]{};
                DecodeByte(byTables, byte, samples);
                AdpcmState byRule{predictor, index};
                byRule.Advance(static_cast<uint8_t>(byte & 15));
                const bool lowOk = samples[0] == static_cast<int8_t>(byRule.predictor >> 2);
                byRule.Advance(static_cast<uint8_t>(byte >> 4));
                if (!lowOk || samples[1] != static_cast<int8_t>(byRule.predictor >> 2) ||
                    byTables.predictor != byRule.predictor || byTables.stepIndex != byRule.stepIndex) {
                    return false;
                }
            }
        }
    }
    return true;
}
static_assert(TablesFollowTheRule());

constexpr AdpcmState StateAfter(const uint8_t* bytes, int count) {
    AdpcmState state;
    int8_t samples[2]{};
    for (int i = 0; i < count; ++i) {
        DecodeByte(state, bytes[i], samples);
    }
    return state;
}

// Worked figures of the coding rule: eight samples of 32767 code as 0x77 0x67 0x80 0x00 and
// leave predictor 511 and step index 26; 1000, 2000, 3000, -3000 code as 0x33 0xF4 and leave
// predictor 11 and step index 10.
inline constexpr uint8_t kLoudBytes[] = {0x77, 0x67, 0x80, 0x00};
inline constexpr uint8_t kRampBytes[] = {0x33, 0xF4};
static_assert(StateAfter(kLoudBytes, 4).predictor == 511 && StateAfter(kLoudBytes, 4).stepIndex == 26);
static_assert(StateAfter(kRampBytes, 2).predictor == 11 && StateAfter(kRampBytes, 2).stepIndex == 10);

}  // namespace adpcm
