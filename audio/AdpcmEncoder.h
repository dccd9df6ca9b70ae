#pragma once
// 4-bit ADPCM coding of 21024 Hz sound into the stream's audio block.
#include <cstdint>
#include <span>
#include <vector>

inline constexpr uint32_t kAdpcmBlockBytes = 176;    // one display refresh of sound
inline constexpr uint32_t kAdpcmBlockSamples = 352;

class AdpcmEncoder {
public:
    // Codes one sample and advances the state exactly as a decoder does from the code alone.
    uint8_t EncodeAdpcmSample(int16_t sample);

    int32_t adpcmPredictor = 0;  // -512..511
    int32_t adpcmStepIndex = 0;  // 0..48
};

struct AudioBlock {
    std::vector<uint8_t> payload;  // AudioBlockCount x 176 bytes
    uint32_t AudioBlockCount = 0;
};

// Codes all samples, then coded silence up to the length of framesWritten + 1 movie frames.
AudioBlock EncodeAudioBlock(std::span<const int16_t> samples, uint32_t framesWritten, uint32_t frameStep);
