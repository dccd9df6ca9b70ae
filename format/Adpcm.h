#pragma once
// The stream's 4-bit ADPCM: its tables and the reconstruction rule that the host's coder and
// decoder and the player's decoder all follow, so that any code the coder writes decodes to
// the coder's own predictor. Freestanding: the player includes it too.
#include <stdint.h>

#include "format/Handheld.h"

inline constexpr int32_t kAdpcmStepCount = 49;
inline constexpr int32_t kAdpcmPredictorMin = -512;  // the predictor holds the top 10 bits of a sample
inline constexpr int32_t kAdpcmPredictorMax = 511;
inline constexpr uint8_t kAdpcmSignBit = 8;  // set for a difference at or below zero
inline constexpr uint8_t kAdpcmMagnitudeMask = 7;

// One block of the audio block: the sound of one display refresh, two samples a byte.
inline constexpr uint32_t kAdpcmBlockSamples = handheld::kSamplesPerRefresh;
inline constexpr uint32_t kAdpcmBlockBytes = kAdpcmBlockSamples / 2;

// Step sizes of the Dialogic ADPCM algorithm: floor(16 x 1.1^i).
inline constexpr int16_t kAdpcmStepTable[kAdpcmStepCount] = {
    16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,  45,   50,   55,   60,   66,   73,
    80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209, 230,  253,  279,  307,  337,  371,
    408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552,
};

// Step index change by code magnitude 0..7, the same for both signs.
inline constexpr int8_t kAdpcmIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

// The signed predictor change that `code` (bits 0-3) makes at `stepIndex`.
constexpr int32_t AdpcmDelta(int32_t stepIndex, uint32_t code) {
    const int32_t magnitude = static_cast<int32_t>(code & kAdpcmMagnitudeMask);
    const int32_t delta = kAdpcmStepTable[stepIndex] * (2 * magnitude + 1) / 8;
    return (code & kAdpcmSignBit) ? -delta : delta;
}

// The step index that follows `code` at `stepIndex`, kept within the table.
constexpr int32_t AdpcmIndexAfter(int32_t stepIndex, uint32_t code) {
    const int32_t next = stepIndex + kAdpcmIndexAdjust[code & kAdpcmMagnitudeMask];
    return next < 0 ? 0 : next >= kAdpcmStepCount ? kAdpcmStepCount - 1 : next;
}

constexpr int32_t ClampAdpcmPredictor(int32_t value) {
    return value < kAdpcmPredictorMin ? kAdpcmPredictorMin : value > kAdpcmPredictorMax ? kAdpcmPredictorMax : value;
}

// The state that coder and decoder share: both advance it from the 4-bit code alone, both
// from predictor 0 and step index 0 at the start of the audio block.
struct AdpcmState {
    int32_t predictor = 0;  // kAdpcmPredictorMin..kAdpcmPredictorMax
    int32_t stepIndex = 0;  // 0..kAdpcmStepCount - 1

    constexpr void Advance(uint8_t code) {
        predictor = ClampAdpcmPredictor(predictor + AdpcmDelta(stepIndex, code));
        stepIndex = AdpcmIndexAfter(stepIndex, code);
    }
};
