#pragma once
// Fixed tables and the state step of the 4-bit ADPCM, shared by the host's coder and decoder.
#include <cstdint>

inline constexpr int32_t kAdpcmStepCount = 49;
inline constexpr int32_t kAdpcmPredictorMin = -512;  // the predictor holds the top 10 bits of a sample
inline constexpr int32_t kAdpcmPredictorMax = 511;
inline constexpr uint8_t kAdpcmSignBit = 8;  // set for a difference at or below zero
inline constexpr uint8_t kAdpcmMagnitudeMask = 7;

// Step sizes of the Dialogic ADPCM algorithm: floor(16 x 1.1^i).
inline constexpr int16_t kAdpcmStepTable[kAdpcmStepCount] = {
    16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,  45,   50,   55,   60,   66,   73,
    80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209, 230,  253,  279,  307,  337,  371,
    408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552,
};

// Step index change by code magnitude 0..7, the same for both signs.
inline constexpr int8_t kAdpcmIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// The state that coder and decoder share: both advance it from the 4-bit code alone,
// so the decoder reproduces the coder's predictor exactly.
struct AdpcmState {
    int32_t predictor = 0;  // kAdpcmPredictorMin..kAdpcmPredictorMax
    int32_t stepIndex = 0;  // 0..kAdpcmStepCount - 1

    constexpr void Advance(uint8_t code) {
        const int32_t step = kAdpcmStepTable[stepIndex];
        const int32_t magnitude = code & kAdpcmMagnitudeMask;
        const int32_t delta = step * (2 * magnitude + 1) / 8;
        predictor += (code & kAdpcmSignBit) ? -delta : delta;
        predictor = predictor < kAdpcmPredictorMin ? kAdpcmPredictorMin
                    : predictor > kAdpcmPredictorMax ? kAdpcmPredictorMax
                                                     : predictor;
        stepIndex += kAdpcmIndexAdjust[magnitude];
        stepIndex = stepIndex < 0 ? 0 : stepIndex >= kAdpcmStepCount ? kAdpcmStepCount - 1 : stepIndex;
    }
};
