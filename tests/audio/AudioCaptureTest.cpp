// Sound capture and resampling to 21024 Hz mono: worked figures, refused formats, and the
// stream property (the result does not depend on how the frames are split into buffers).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "tests/audio/PcmFixtures.h"

namespace {

using Samples = std::vector<int16_t>;

// At 21024 Hz each frame passes unchanged once the next one is known; a trailing frame
// flushes the last real one, so this shows what the reader makes of the frames.
Samples ReadAt21024(const WaveFormatEx& format, std::vector<uint8_t> bytes) {
    AudioCapture capture = CaptureFor(format);
    bytes.insert(bytes.end(), format.nBlockAlign, 0);
    Append(capture, bytes);
    return capture.CollectedSamples();
}

TEST(AudioCapture, ReadersTurnFramesIntoSixteenBitValues) {
    EXPECT_EQ(ReadAt21024(PcmFormat(21024, 1, 8), {128, 0, 255}), (Samples{0, -32768, 32512}));
    // Stereo is mixed by the average, truncated toward zero: -0.5 gives 0.
    EXPECT_EQ(ReadAt21024(PcmFormat(21024, 2, 8), {128, 127, 0, 255, 255, 255, 200, 201}),
              (Samples{0, 0, 32512, 18432}));
    EXPECT_EQ(ReadAt21024(PcmFormat(21024, 1, 16), Pcm16({0, -32768, 32767, -1})), (Samples{0, -32768, 32767, -1}));
    EXPECT_EQ(ReadAt21024(PcmFormat(21024, 2, 16), Pcm16({-3, -4, 32767, 32767, -32768, -32768})),
              (Samples{-3, 32767, -32768}));
}

TEST(AudioCapture, AcceptsOnlyFormatsItCanReadSafely) {
    AudioCapture capture;
    EXPECT_TRUE(capture.SetAudioFormat(PcmFormat(44100, 2, 16)));
    WaveFormatEx format = PcmFormat(44100, 2, 16);
    format.wFormatTag = 3;
    EXPECT_FALSE(capture.SetAudioFormat(format)) << "floating point, whatever its sizes";
    EXPECT_FALSE(capture.SetAudioFormat(PcmFormat(44100, 2, 24)));
    EXPECT_FALSE(capture.SetAudioFormat(PcmFormat(44100, 6, 16)));
    format = PcmFormat(44100, 2, 8);
    format.wBitsPerSample = 7;  // bits + channels = 9, the sum of 8-bit mono
    EXPECT_FALSE(capture.SetAudioFormat(format));

    EXPECT_FALSE(capture.SetAudioFormat(PcmFormat(0, 2, 16))) << "sample rate 0 would divide by zero";
    format = PcmFormat(44100, 2, 16);
    format.nBlockAlign = 0;
    EXPECT_FALSE(capture.SetAudioFormat(format)) << "block alignment 0 would divide by zero";
    format.nBlockAlign = 3;
    EXPECT_FALSE(capture.SetAudioFormat(format)) << "16-bit stereo frames need 4 bytes";
    format = PcmFormat(44100, 1, 16);
    format.nBlockAlign = 1;
    EXPECT_FALSE(capture.SetAudioFormat(format)) << "16-bit mono frames need 2 bytes";
    format.nBlockAlign = 4;
    EXPECT_TRUE(capture.SetAudioFormat(format)) << "longer frames are safe to read";

    // A refused format leaves no reader behind, not the one accepted before.
    ASSERT_FALSE(capture.SetAudioFormat(PcmFormat(0, 1, 16)));
    Append(capture, Pcm16({1, 2, 3, 4}));
    EXPECT_TRUE(capture.CollectedSamples().empty());
}

TEST(AudioCapture, InterpolatesBelow21025HzAcrossBuffers) {
    AudioCapture capture = CaptureFor(PcmFormat(10512, 1, 16));
    Append(capture, Pcm16({100, 201, 50}));
    // Positions 0, 0.5, 1 and 1.5 frames; the sample at 2.5 waits for the next buffer.
    EXPECT_EQ(capture.CollectedSamples(), (Samples{100, 150, 201, 125}));
    Append(capture, Pcm16({-50, -50, -50}));
    EXPECT_EQ(capture.CollectedSamples(), (Samples{100, 150, 201, 125, 50, 0, -50, -50, -50, -50}));

    AudioCapture negative = CaptureFor(PcmFormat(10512, 1, 16));
    Append(negative, Pcm16({-3, -2}));
    EXPECT_EQ(negative.CollectedSamples(), (Samples{-3, -2})) << "-2.5 truncates toward zero";
}

TEST(AudioCapture, At21024HzPassesFramesThroughAndHoldsTheLastBack) {
    AudioCapture capture = CaptureFor(PcmFormat(21024, 1, 16));
    Append(capture, Pcm16({1, 2, 3}));
    EXPECT_EQ(capture.CollectedSamples(), (Samples{1, 2}));
    Append(capture, Pcm16({4}));
    Append(capture, Pcm16({5, 6}));
    EXPECT_EQ(capture.CollectedSamples(), (Samples{1, 2, 3, 4, 5})) << "the run's last frame is never collected";
}

TEST(AudioCapture, Above21024HzAveragesOverEachOutputSpan) {
    AudioCapture at42048 = CaptureFor(PcmFormat(42048, 1, 16));
    Append(at42048, Pcm16({3, 4, -3, -4}));
    EXPECT_EQ(at42048.CollectedSamples(), (Samples{3, -3})) << "3.5 and -3.5 truncate toward zero";

    // 21025 Hz is averaged: the second frame lends one tick to the first sample,
    // (21024 x -32768 + 1 x 32767) / 21025 = -32764.88. Interpolated at 21024 Hz it stays -32768.
    AudioCapture at21025 = CaptureFor(PcmFormat(21025, 1, 16));
    Append(at21025, Pcm16({-32768, 32767}));
    EXPECT_EQ(at21025.CollectedSamples(), (Samples{-32764}));
    AudioCapture at21024 = CaptureFor(PcmFormat(21024, 1, 16));
    Append(at21024, Pcm16({-32768, 32767}));
    EXPECT_EQ(at21024.CollectedSamples(), (Samples{-32768}));

    // One second of 21025 Hz sound is 21024 samples.
    AudioCapture second = CaptureFor(PcmFormat(21025, 1, 8));
    Append(second, std::vector<uint8_t>(21025, 128));
    EXPECT_EQ(second.CollectedSamples().size(), 21024u);
}

TEST(AudioCapture, DropsTheBytesOfAPartialFrame) {
    AudioCapture capture = CaptureFor(PcmFormat(21024, 1, 16));
    std::vector<uint8_t> first = Pcm16({10, 20});
    first.push_back(0x7F);
    Append(capture, first);
    Append(capture, Pcm16({30, 40}));
    EXPECT_EQ(capture.CollectedSamples(), (Samples{10, 20, 30})) << "the stray byte is not carried over";

    AudioCapture shortBuffer = CaptureFor(PcmFormat(21024, 2, 16));
    Append(shortBuffer, std::vector<uint8_t>{1, 2, 3});
    Append(shortBuffer, Pcm16({7, 7, 9, 9}));
    EXPECT_EQ(shortBuffer.CollectedSamples(), (Samples{7})) << "a buffer shorter than a frame changes nothing";
}

TEST(AudioCapture, ResetStartsAStreamAndKeepsTheFormat) {
    AudioCapture capture = CaptureFor(PcmFormat(42048, 1, 16));
    Append(capture, Pcm16({3, 4, 100}));
    capture.Reset();
    EXPECT_TRUE(capture.CollectedSamples().empty());
    Append(capture, Pcm16({3, 4, -3, -4}));
    EXPECT_EQ(capture.CollectedSamples(), (Samples{3, -3})) << "the pending 100 is forgotten";
}

// 200,000 frames span 4.2 x 10^9 ticks, past the 32-bit range.
TEST(AudioCapture, HugeBufferNeedsNoSlicing) {
    std::vector<int16_t> frames(200000);
    for (size_t i = 0; i < frames.size(); ++i) frames[i] = int16_t(int32_t(i * 37 % 65536) - 32768);
    const std::vector<uint8_t> bytes = Pcm16(frames);

    // At half of 21024 Hz every other sample is a frame and the others are midpoints.
    AudioCapture half = CaptureFor(PcmFormat(10512, 1, 16));
    Append(half, bytes);
    const Samples& samples = half.CollectedSamples();
    ASSERT_EQ(samples.size(), 399998u);
    for (size_t k = 0; k + 1 < frames.size(); ++k) {
        ASSERT_EQ(samples[2 * k], frames[k]) << k;
        ASSERT_EQ(samples[2 * k + 1], (frames[k] + frames[k + 1]) / 2) << k;
    }

    AudioCapture whole = CaptureFor(PcmFormat(48000, 1, 16));
    AudioCapture pieces = CaptureFor(PcmFormat(48000, 1, 16));
    Append(whole, bytes);
    for (size_t at = 0; at < bytes.size(); at += 2000) Append(pieces, std::span(bytes).subspan(at, 2000));
    EXPECT_EQ(whole.CollectedSamples().size(), 87600u);
    EXPECT_EQ(whole.CollectedSamples(), pieces.CollectedSamples());
}

constexpr uint32_t kRates[] = {8000, 11025, 21024, 22050, 32000, 44100, 48000};

TEST(AudioCapture, RandomBufferSplitsCollectTheSameSamples) {
    std::mt19937 random(20240611);
    for (uint32_t rate : kRates)
        for (uint16_t channels : {1, 2})
            for (uint16_t bits : {8, 16}) {
                SCOPED_TRACE(::testing::Message() << rate << " Hz, " << channels << " channels, " << bits << " bits");
                const WaveFormatEx format = PcmFormat(rate, channels, bits);
                std::vector<uint8_t> pcm(size_t(rate) * format.nBlockAlign * 3 / 2);
                for (uint8_t& byte : pcm) byte = uint8_t(random());

                AudioCapture whole = CaptureFor(format);
                Append(whole, pcm);
                for (int split = 0; split < 3; ++split) {
                    AudioCapture pieces = CaptureFor(format);
                    std::uniform_int_distribution<size_t> frames(1, split == 0 ? 3 : 5000);
                    for (size_t at = 0; at < pcm.size();) {
                        const size_t length = std::min(frames(random) * format.nBlockAlign, pcm.size() - at);
                        Append(pieces, std::span(pcm).subspan(at, length));
                        at += length;
                    }
                    ASSERT_EQ(whole.CollectedSamples(), pieces.CollectedSamples()) << "split " << split;
                }
            }
}

// A 300 Hz tone comes out as the same tone at 21024 Hz: interpolated samples lie on the
// continuous sine (within the chord error); averaged samples follow its mean over their span
// (the sine at the span's centre times sinc), the source frames being held for one frame each.
// Holding makes a staircase whose partial steps at a span's edges leave an error well below
// the change over one source frame; a sample one frame early or late misses by that change.
TEST(AudioCapture, ToneKeepsItsShapeAtEveryRate) {
    constexpr double kAmplitude = 20000.0, kTone = 300.0, kOut = kOutputSampleRate;
    const double omega = 2 * std::numbers::pi * kTone;
    for (uint32_t rate : kRates) {
        SCOPED_TRACE(::testing::Message() << rate << " Hz");
        std::vector<int16_t> frames(rate);
        for (size_t i = 0; i < frames.size(); ++i) frames[i] = int16_t(std::lround(kAmplitude * std::sin(omega * i / rate)));
        AudioCapture capture = CaptureFor(PcmFormat(rate, 1, 16));
        Append(capture, Pcm16(frames));
        const Samples& samples = capture.CollectedSamples();
        ASSERT_NEAR(double(samples.size()), kOut, 3.0);

        const bool averaged = rate > kOutputSampleRate;
        const double chord = kAmplitude * std::pow(omega / rate, 2) / 8;
        const double halfSpan = omega / kOut / 2;
        double worst = 0;
        for (size_t j = 0; j < samples.size(); ++j) {
            const double expected =
                averaged ? kAmplitude * std::sin(halfSpan) / halfSpan * std::sin(omega * ((j + 0.5) / kOut - 0.5 / rate))
                         : kAmplitude * std::sin(omega * j / kOut);
            worst = std::max(worst, std::abs(samples[j] - expected));
        }
        const double oneFrame = kAmplitude * omega / rate;
        EXPECT_LT(worst, (averaged ? 0.15 * oneFrame + 3.0 : chord + 2.0)) << "largest error " << worst;
    }
}

}  // namespace
