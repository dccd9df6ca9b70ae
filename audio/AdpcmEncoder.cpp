#include "audio/AdpcmEncoder.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include <fmt/format.h>

#include "audio/AdpcmSearch.h"
#include "format/MovieStream.h"
#include "format/SeekPoints.h"

namespace {

// Magnitude 0..7 of a quotient: 0, 1 and 2 give 0, then one step per two, 15 and above give 7.
uint8_t MagnitudeOf(int32_t quotient) {
    return uint8_t(quotient <= 0 ? 0 : std::min((quotient - 1) >> 1, 7));
}

}  // namespace

uint32_t AudioBlockCountFor(uint64_t sampleCount, uint32_t framesWritten, uint32_t frameStep) {
    const uint64_t forSound = (uint64_t(sampleCount) + kAdpcmBlockSamples - 1) / kAdpcmBlockSamples;
    // Display refreshes that framesWritten + 1 movie frames last. The plan never yields a step of 0;
    // were one to arrive, the pictures would never advance and give the sound no length of their own.
    const uint64_t forPictures = frameStep == 0 ? 0 : (uint64_t(framesWritten) + 1) * movie_stream::kOneFrame / frameStep;
    const uint64_t count = std::max(forSound, forPictures);
    if (count > std::numeric_limits<uint32_t>::max())
        throw std::length_error(fmt::format("{} audio blocks do not fit the stream's 32-bit count", count));
    return uint32_t(count);
}

uint8_t AdpcmEncoder::EncodeAdpcmSample(int16_t sample) {
    int32_t difference = (sample >> 6) - state.predictor;
    uint8_t sign = 0;
    if (difference <= 0) {
        sign = kAdpcmSignBit;
        difference = -difference;
    }
    // Every step is at least 16, so the divisor is at least 2.
    const uint8_t code = sign | MagnitudeOf(difference / (kAdpcmStepTable[state.stepIndex] >> 3));
    state.Advance(code);
    return code;
}

uint8_t AdpcmEncoder::EncodeAdpcmPair(int16_t first, int16_t second) {
    const uint8_t low = EncodeAdpcmSample(first);
    const uint8_t high = EncodeAdpcmSample(second);
    return uint8_t(low | high << 4);
}

namespace {

// Codes `samples` into `payload` from the initial state, and silence after them.
void EncodeExact(std::span<const int16_t> samples, std::span<uint8_t> payload) {
    AdpcmEncoder encoder;
    auto out = payload.begin();
    size_t next = 0;
    for (; next + 1 < samples.size(); next += 2) *out++ = encoder.EncodeAdpcmPair(samples[next], samples[next + 1]);
    if (next < samples.size()) *out++ = encoder.EncodeAdpcmPair(samples[next], 0);
    // The coder state carries on, so the silence settles from the last sample rather than being a constant byte.
    for (; out != payload.end(); ++out) *out = encoder.EncodeAdpcmPair(0, 0);
}

// Blocks `first` .. `end` - 1 of the payload, coded from the initial state.
void EncodeBlocks(std::span<const int16_t> samples, AdpcmCoder coder, uint32_t first, uint32_t end,
                  std::span<uint8_t> payload) {
    const size_t from = std::min(size_t(first) * kAdpcmBlockSamples, samples.size());
    const size_t to = std::min(size_t(end) * kAdpcmBlockSamples, samples.size());
    const std::span<const int16_t> sound = samples.subspan(from, to - from);
    const std::span<uint8_t> bytes = payload.subspan(size_t(first) * kAdpcmBlockBytes, size_t(end - first) * kAdpcmBlockBytes);
    if (coder == AdpcmCoder::SearchAhead)
        EncodeAdpcmSearched(sound, bytes);
    else
        EncodeExact(sound, bytes);
}

}  // namespace

AudioBlock EncodeAudioBlock(std::span<const int16_t> samples, uint32_t framesWritten, uint32_t frameStep,
                            AdpcmCoder coder, uint32_t seekInterval) {
    AudioBlock block;
    block.AudioBlockCount = AudioBlockCountFor(samples.size(), framesWritten, frameStep);
    block.payload.resize(size_t(block.AudioBlockCount) * kAdpcmBlockBytes);
    uint32_t first = 0;
    for (uint64_t record = seekInterval; seekInterval != 0 && record < framesWritten; record += seekInterval) {
        const uint32_t restart = seek_points::BlockOfFrame(uint32_t(record), frameStep);
        if (restart <= first || restart >= block.AudioBlockCount) continue;
        EncodeBlocks(samples, coder, first, restart, block.payload);
        first = restart;
    }
    EncodeBlocks(samples, coder, first, block.AudioBlockCount, block.payload);
    return block;
}
