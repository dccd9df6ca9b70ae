#pragma once
// 4-bit ADPCM coding of 21024 Hz sound into the stream's audio block.
#include <cstdint>
#include <span>
#include <vector>

#include "format/Adpcm.h"

class AdpcmEncoder {
public:
    // Codes one sample (only its top 10 bits) and advances the state as a decoder does from the code alone.
    uint8_t EncodeAdpcmSample(int16_t sample);
    // Codes `first` into the low nibble, then `second` into the high nibble.
    uint8_t EncodeAdpcmPair(int16_t first, int16_t second);

    AdpcmState state;  // adpcmPredictor and adpcmStepIndex, both 0 at the start of a block
};

struct AudioBlock {
    std::vector<uint8_t> payload;  // AudioBlockCount x 176 bytes
    uint32_t AudioBlockCount = 0;
};

// How the codes are chosen; the player decodes both the same way.
enum class AdpcmCoder : uint8_t {
    Exact,        // each sample on its own by the fixed rule ("標準"): the stream's reference bytes
    SearchAhead,  // codes chosen by looking ahead for the least error in what is played ("高音質")
};

// The 176-byte blocks of an audio block for `sampleCount` samples and framesWritten + 1 movie
// frames at frameStep, whichever lasts longer. Throws std::length_error beyond 32 bits.
uint32_t AudioBlockCountFor(uint64_t sampleCount, uint32_t framesWritten, uint32_t frameStep);

// Codes all samples, then coded silence up to the length of framesWritten + 1 movie frames
// at frameStep (16.16 movie frames per display refresh). A frameStep of 0 adds no length.
// With a `seekInterval` (records between seek points, format/SeekPoints.h), the coder starts
// afresh at the block that plays with each seek point, so that a player can start there.
// Throws std::length_error when the block count does not fit in 32 bits.
AudioBlock EncodeAudioBlock(std::span<const int16_t> samples, uint32_t framesWritten, uint32_t frameStep,
                            AdpcmCoder coder = AdpcmCoder::Exact, uint32_t seekInterval = 0);
