#pragma once
// The reconstruction rule of the stream's 4-bit ADPCM, precomputed per step index so that
// decoding a byte (two samples) takes three table reads and two clamps. Built by the compiler
// into ROM (about 39 KB).
#include <stdint.h>

namespace adpcm {

inline constexpr int kStepIndexCount = 49;
inline constexpr int kPredictorMin = -512;
inline constexpr int kPredictorMax = 511;

// Dialogic step sizes, floor(16 x 1.1^i).
inline constexpr int16_t kStepSize[kStepIndexCount] = {
    16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,  45,  50,  55,  60,  66,   73,
    80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209, 230, 253, 279, 307,  337,
    371, 408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};

// Step index change by the magnitude bits of a code, the same for both signs.
inline constexpr int8_t kIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

struct DecodeTables {
    int16_t codeDelta[kStepIndexCount][16];    // predictor change of a code at a step index
    int16_t highDelta[kStepIndexCount][256];   // change by a byte's high nibble, indexed by the
                                               // step index before its low nibble
    uint8_t nextIndex[kStepIndexCount][256];   // step index after both nibbles of a byte
};

constexpr int CodeDelta(int stepIndex, int code) {
    const int magnitude = code & 7;
    const int delta = kStepSize[stepIndex] * (2 * magnitude + 1) / 8;
    return (code & 8) ? -delta : delta;
}

constexpr int IndexAfter(int stepIndex, int code) {
    const int next = stepIndex + kIndexAdjust[code & 7];
    return next < 0 ? 0 : (next >= kStepIndexCount ? kStepIndexCount - 1 : next);
}

constexpr DecodeTables MakeDecodeTables() {
    DecodeTables tables{};
    for (int index = 0; index < kStepIndexCount; ++index) {
        for (int code = 0; code < 16; ++code) {
            tables.codeDelta[index][code] = static_cast<int16_t>(CodeDelta(index, code));
        }
        for (int byte = 0; byte < 256; ++byte) {
            const int afterLow = IndexAfter(index, byte & 15);
            tables.highDelta[index][byte] = static_cast<int16_t>(CodeDelta(afterLow, byte >> 4));
            tables.nextIndex[index][byte] = static_cast<uint8_t>(IndexAfter(afterLow, byte >> 4));
        }
    }
    return tables;
}

inline constexpr DecodeTables kDecodeTables = MakeDecodeTables();

struct DecoderState {
    int32_t predictor = 0;   // kPredictorMin..kPredictorMax
    int32_t stepIndex = 0;   // 0..kStepIndexCount - 1
};

constexpr int32_t ClampPredictor(int32_t value) {
    return value < kPredictorMin ? kPredictorMin : (value > kPredictorMax ? kPredictorMax : value);
}

// Decodes one byte, low nibble first; each sample is the predictor >> 2.
constexpr void DecodeByte(DecoderState& state, uint32_t byte, int8_t* out) {
    const DecodeTables& t = kDecodeTables;
    int32_t predictor = ClampPredictor(state.predictor + t.codeDelta[state.stepIndex][byte & 15]);
    out[0] = static_cast<int8_t>(predictor >> 2);
    predictor = ClampPredictor(predictor + t.highDelta[state.stepIndex][byte]);
    out[1] = static_cast<int8_t>(predictor >> 2);
    state.predictor = predictor;
    state.stepIndex = t.nextIndex[state.stepIndex][byte];
}

constexpr DecoderState StateAfter(const uint8_t* bytes, int count) {
    DecoderState state;
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
