// ADPCM coders, audio block and the host decoder: worked figures, block sizes, a sine sweep
// that must come back through the decoder, and the search-ahead coder against the exact one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "audio/AdpcmDecoder.h"
#include "audio/AdpcmEncoder.h"
#include "audio/AdpcmSearch.h"
#include "tests/audio/fixtures/SoundFixtures.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Codes = std::vector<uint8_t>;
constexpr uint32_t kThirtyFps = 32917;  // frameStep of 30 movie frames per second
constexpr uint32_t kOneFramePerRefresh = 65536;

Codes CodesOf(AdpcmEncoder& encoder, const std::vector<int16_t>& samples) {
    Codes codes;
    for (int16_t sample : samples) codes.push_back(encoder.EncodeAdpcmSample(sample));
    return codes;
}

Bytes Head(const AudioBlock& block, size_t count) {
    return Bytes(block.payload.begin(), block.payload.begin() + std::min(count, block.payload.size()));
}

// Coded silence leaves the player's predictor swinging between -2 and 0 (samples -1 and 0).
bool EndsInSilence(const AudioBlock& block) {
    const std::vector<int8_t> samples = DecodeAdpcmBlock(block.payload);
    return samples.size() >= 16 &&
           std::all_of(samples.end() - 16, samples.end(), [](int8_t sample) { return sample == -1 || sample == 0; });
}

TEST(AdpcmEncoder, StepTableIsSixteenTimesPowersOfOnePointOne) {
    for (int i = 0; i < kAdpcmStepCount; ++i)
        EXPECT_EQ(kAdpcmStepTable[i], int(std::floor(16.0 * std::pow(1.1, i)))) << "step " << i;
}

TEST(AdpcmEncoder, CodesFromTheInitialState) {
    AdpcmEncoder loud;
    EXPECT_EQ(CodesOf(loud, std::vector<int16_t>(8, 32767)), (Codes{7, 7, 7, 6, 0, 8, 0, 0}));
    EXPECT_EQ(loud.state.predictor, 511);
    EXPECT_EQ(loud.state.stepIndex, 26);

    AdpcmEncoder swing;
    EXPECT_EQ(CodesOf(swing, {1000, 2000, 3000, -3000}), (Codes{3, 3, 4, 15}));
    EXPECT_EQ(swing.state.predictor, 11);
    EXPECT_EQ(swing.state.stepIndex, 10);
}

TEST(AdpcmEncoder, ZeroDifferenceCarriesTheSignBit) {
    AdpcmEncoder encoder;
    EXPECT_EQ(encoder.EncodeAdpcmSample(0), 8);
    EXPECT_EQ(encoder.state.predictor, -2);
    EXPECT_EQ(encoder.state.stepIndex, 0);
    EXPECT_EQ(encoder.EncodeAdpcmSample(63), 0) << "63 >> 6 is 0, two above -2";
    EXPECT_EQ(encoder.state.predictor, 0);
}

TEST(AudioBlock, PairsSamplesLowNibbleFirst) {
    std::vector<int16_t> loud(8, 32767);
    EXPECT_EQ(Head(EncodeAudioBlock(loud, 0, kOneFramePerRefresh), 4), (Bytes{0x77, 0x67, 0x80, 0x00}));
    std::vector<int16_t> swing{1000, 2000, 3000, -3000};
    EXPECT_EQ(Head(EncodeAudioBlock(swing, 0, kOneFramePerRefresh), 2), (Bytes{0x33, 0xF4}));
}

TEST(AudioBlock, OddSampleCountPairsTheLastWithACodedZero) {
    std::vector<int16_t> three(3, 5000);
    const AudioBlock block = EncodeAudioBlock(three, 0, kOneFramePerRefresh);
    ASSERT_EQ(block.AudioBlockCount, 1u);
    EXPECT_EQ(Head(block, 2), (Bytes{0x57, 0xF0}));
    // The rest codes zero pairs, settling from the predictor 82 rather than repeating one byte.
    EXPECT_NE(block.payload[2], 0x08);
    EXPECT_TRUE(EndsInSilence(block));
}

TEST(AudioBlock, NoSoundIsCodedSilenceThroughout) {
    const AudioBlock block = EncodeAudioBlock({}, 9, kOneFramePerRefresh);
    EXPECT_EQ(block.AudioBlockCount, 10u);
    EXPECT_EQ(block.payload, Bytes(1760, 0x08));
}

TEST(AudioBlock, LastsForTheWrittenFramesPlusOne) {
    std::vector<int16_t> tone(1000);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(12000 * std::sin(i * 0.05));
    const AudioBlock block = EncodeAudioBlock(tone, 99, kThirtyFps);
    EXPECT_EQ(block.AudioBlockCount, 199u) << "3 blocks of sound, 199 of pictures";
    ASSERT_EQ(block.payload.size(), 35024u);
    const AudioBlock soundOnly = EncodeAudioBlock(tone, 0, kOneFramePerRefresh);
    ASSERT_EQ(soundOnly.AudioBlockCount, 3u);
    EXPECT_EQ(Head(block, 500), Head(soundOnly, 500)) << "the first 500 bytes carry the sound";
    EXPECT_TRUE(EndsInSilence(block));
}

TEST(AudioBlock, LastsForAllTheSound) {
    std::vector<int16_t> loud(2000, 20000);
    const AudioBlock block = EncodeAudioBlock(loud, 1, kThirtyFps);
    EXPECT_EQ(block.AudioBlockCount, 6u) << "6 blocks of sound, 3 of pictures";
    ASSERT_EQ(block.payload.size(), 1056u);
    // The last 56 bytes are coded silence, walking down from the loud sound.
    EXPECT_EQ(block.payload[1000], 0xFF);
    EXPECT_TRUE(EndsInSilence(block));
}

TEST(AudioBlock, EdgeCountsNeitherDivideByZeroNorWrap) {
    EXPECT_TRUE(EncodeAudioBlock({}, 0, 65537).payload.empty()) << "one movie frame shorter than a refresh";
    std::vector<int16_t> few(10, 100);
    EXPECT_EQ(EncodeAudioBlock(few, 5, 0).AudioBlockCount, 1u) << "a frame step of 0 adds no length";
    EXPECT_THROW(EncodeAudioBlock({}, std::numeric_limits<uint32_t>::max(), 1), std::length_error);
}

TEST(AdpcmDecoder, ReconstructsThePlayersSamples) {
    // Predictors 30, 93, 229, 484, 511 (clamped from 518), 480, 508, 511; each >> 2.
    EXPECT_EQ(DecodeAdpcmBlock(Bytes{0x77, 0x67, 0x80, 0x00}), (std::vector<int8_t>{7, 23, 57, 121, 127, 120, 127, 127}));
    // Predictors 14, 28, 46, 11.
    AdpcmDecoder decoder;
    std::vector<int8_t> out(4);
    EXPECT_EQ(decoder.Decode(Bytes{0x33, 0xF4}, out), 4u);
    EXPECT_EQ(out, (std::vector<int8_t>{3, 7, 11, 2}));
    EXPECT_EQ(decoder.state.predictor, 11);
    EXPECT_EQ(decoder.state.stepIndex, 10);
    // Silence: the predictor swings between -2 and 0, and -2 >> 2 is -1.
    EXPECT_EQ(DecodeAdpcmBlock(Bytes(3, 0x08)), (std::vector<int8_t>{-1, 0, -1, 0, -1, 0}));
}

TEST(AdpcmDecoder, DecodesOnlyWholeBytesThatFit) {
    AdpcmDecoder decoder;
    std::vector<int8_t> out(5, 99);
    EXPECT_EQ(decoder.Decode(Bytes{0x08, 0x08, 0x08}, out), 4u);
    EXPECT_EQ(out[4], 99);
}

TEST(AdpcmDecoder, NegativeClampHoldsAtMinus512) {
    // Code 15 from the bottom: the predictor stays at -512, the sample at -128.
    std::vector<int8_t> samples = DecodeAdpcmBlock(Bytes(40, 0xFF));
    EXPECT_EQ(samples.back(), -128);
}

using sound_fixtures::PlayedSnrDb;

Bytes SwappedNibbles(Bytes bytes) {
    for (uint8_t& byte : bytes) byte = uint8_t(byte << 4 | byte >> 4);
    return bytes;
}

Bytes FlippedSigns(Bytes bytes) {
    for (uint8_t& byte : bytes) byte ^= 0x88;
    return bytes;
}

// A broken coder (nibbles in the wrong order, signs inverted) ends below this.
constexpr double kSweepSnrFloorDb = 18.0;

TEST(AdpcmRoundTrip, SineSweepFollowsTheInput) {
    // Three seconds, 50 Hz to 5000 Hz on a logarithmic sweep, at 90 percent of full scale.
    constexpr double kRate = 21024, kSeconds = 3, kLow = 50, kHigh = 5000;
    std::vector<int16_t> sweep(size_t(kRate * kSeconds));
    const double growth = std::log(kHigh / kLow) / kSeconds;
    for (size_t i = 0; i < sweep.size(); ++i) {
        const double t = i / kRate;
        const double phase = 2 * std::numbers::pi * kLow * (std::exp(growth * t) - 1) / growth;
        sweep[i] = int16_t(29490 * std::sin(phase));
    }
    const AudioBlock block = EncodeAudioBlock(sweep, 0, kOneFramePerRefresh);
    const double snr = PlayedSnrDb(sweep, DecodeAdpcmBlock(block.payload));
    const double swapped = PlayedSnrDb(sweep, DecodeAdpcmBlock(SwappedNibbles(block.payload)));
    const double flipped = PlayedSnrDb(sweep, DecodeAdpcmBlock(FlippedSigns(block.payload)));
    std::printf("[ sweep    ] SNR %.2f dB (nibbles swapped %.2f dB, signs flipped %.2f dB)\n", snr, swapped, flipped);
    RecordProperty("SweepSnrDb", std::to_string(snr));
    EXPECT_GE(snr, kSweepSnrFloorDb);
    EXPECT_LT(swapped, kSweepSnrFloorDb);
    EXPECT_LT(flipped, kSweepSnrFloorDb);
}

TEST(AdpcmSearch, HostDecoderReconstructsTheCodersOwnTrack) {
    // Real-looking sound, and the hard cases: full-scale swings that clamp the predictor, a
    // steep ramp, and sound that stops dead; each with coded silence after it.
    std::vector<int16_t> swings(3000), ramp(3000);
    for (size_t i = 0; i < swings.size(); ++i) {
        swings[i] = (i / 7) % 2 ? int16_t(32767) : int16_t(-32768);
        ramp[i] = int16_t(int32_t(i * 37 % 65536) - 32768);
    }
    const std::vector<std::vector<int16_t>> sounds{sound_fixtures::Speech(1), sound_fixtures::Music(1),
                                                   sound_fixtures::FilmMix(1), swings, ramp};
    for (size_t s = 0; s < sounds.size(); ++s) {
        SCOPED_TRACE("sound " + std::to_string(s));
        Bytes payload(sounds[s].size() / 2 + 500);
        std::vector<int16_t> track(payload.size() * 2);
        EncodeAdpcmSearched(sounds[s], payload, track);
        AdpcmDecoder decoder;
        size_t mismatches = 0;
        for (size_t k = 0; k < track.size(); ++k) {
            decoder.DecodeNibble(k % 2 == 0 ? payload[k / 2] & 0x0F : payload[k / 2] >> 4);
            mismatches += decoder.state.predictor != track[k];
        }
        EXPECT_EQ(mismatches, 0u);
        const int played = track.back() >> 2;
        EXPECT_TRUE(played == 0 || played == -1) << "the coded silence settles at silence: " << played;
    }
}

// The search-ahead coder must gain at least this much on every kind of sound.
constexpr double kSearchGainFloorDb = 3.0;

TEST(AdpcmSearch, GainsOverTheExactCoderOnSpeechMusicAndFilm) {
    constexpr double kSeconds = 3;
    const std::pair<const char*, std::vector<int16_t>> sounds[] = {{"speech", sound_fixtures::Speech(kSeconds)},
                                                                   {"music", sound_fixtures::Music(kSeconds)},
                                                                   {"film", sound_fixtures::FilmMix(kSeconds)}};
    for (const auto& [name, sound] : sounds) {
        SCOPED_TRACE(name);
        const AudioBlock exact = EncodeAudioBlock(sound, 99, kThirtyFps);
        const AudioBlock searched = EncodeAudioBlock(sound, 99, kThirtyFps, AdpcmCoder::SearchAhead);
        ASSERT_EQ(searched.AudioBlockCount, exact.AudioBlockCount);
        ASSERT_EQ(searched.payload.size(), exact.payload.size());
        EXPECT_TRUE(EndsInSilence(searched));
        const double exactSnr = PlayedSnrDb(sound, DecodeAdpcmBlock(exact.payload));
        const double searchedSnr = PlayedSnrDb(sound, DecodeAdpcmBlock(searched.payload));
        std::printf("[ %-8s ] SNR exact %.2f dB, search-ahead %.2f dB: %+.2f dB\n", name, exactSnr, searchedSnr,
                    searchedSnr - exactSnr);
        RecordProperty(std::string(name) + "GainDb", std::to_string(searchedSnr - exactSnr));
        EXPECT_GE(searchedSnr - exactSnr, kSearchGainFloorDb);
    }
}

}  // namespace
