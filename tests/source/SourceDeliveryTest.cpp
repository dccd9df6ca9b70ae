// What the source delivers for movies of the common kinds: the formats it announces, the
// length in frames, every picture once, in order and bottom-up, and all of the sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/RunState.h"
#include "source/internal/DecodingPipeline.h"
#include "tests/source/OracleDecode.h"
#include "tests/source/SourceTestSupport.h"

namespace {

std::vector<uint8_t> Joined(const RecordingCallback& recorder) {
    std::vector<uint8_t> bytes;
    for (const auto& buffer : recorder.buffers) bytes.insert(bytes.end(), buffer.begin(), buffer.end());
    return bytes;
}

std::vector<int16_t> Samples16(const RecordingCallback& recorder) {
    const std::vector<uint8_t> bytes = Joined(recorder);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// The frequency of one channel's tone, from its zero crossings over the middle half; a
// decoder's delay and the coder's edges do not move it.
double MeasuredHz(const std::vector<int16_t>& interleaved, int channels, int channel, int rate) {
    const size_t frames = interleaved.size() / size_t(channels);
    int crossings = 0;
    for (size_t i = frames / 4 + 1; i < frames * 3 / 4; ++i)
        crossings += (interleaved[i * channels + channel] >= 0) != (interleaved[(i - 1) * channels + channel] >= 0);
    return crossings / 2.0 * rate / double(frames / 2);
}

// Normalised correlation of one channel with a channel of the fixture's tones.
double Correlation(const std::vector<int16_t>& interleaved, int channels, int channel, const FixtureAudio& audio,
                   int toneChannel) {
    double product = 0, own = 0, tone = 0;
    for (size_t i = 0; i < interleaved.size() / size_t(channels); ++i) {
        const double a = interleaved[i * channels + channel];
        const double b = FixtureSample16(audio, toneChannel, int(i));
        product += a * b;
        own += a * a;
        tone += b * b;
    }
    return own == 0 ? 0.0 : product / std::sqrt(own * tone);
}

class SourceDelivery : public ::testing::Test {
protected:
    void SetUp() override { ClearRunState(); }

    // Builds, checks the length, runs to the end.
    void BuildAndRun(const std::string& path, int64_t expectedLength) {
        ASSERT_TRUE(source.Build(path)) << ErrorDetail;
        int64_t length = -1;
        EXPECT_TRUE(QuerySourceLength(*source.graph, length));
        EXPECT_EQ(length, expectedLength);
        ASSERT_TRUE(RunSourceGraph(*source.graph)) << ErrorDetail;
        EXPECT_FALSE(AbortRequested);
    }
    const VideoInfoHeader& Video() { return source.graph->Pipeline().VideoFormat(); }
    const WaveFormatEx& Audio() { return source.graph->Pipeline().AudioFormat(); }

    void ExpectVideoFormat(int width, int height, int64_t avgTimePerFrame) {
        const BitmapInfoHeader& bitmap = Video().bmiHeader;
        EXPECT_EQ(Video().AvgTimePerFrame, avgTimePerFrame);
        EXPECT_EQ(bitmap.biWidth, width);
        EXPECT_EQ(bitmap.biHeight, height);
        EXPECT_EQ(bitmap.biPlanes, 1);
        EXPECT_EQ(bitmap.biBitCount, 24);
        EXPECT_EQ(bitmap.biCompression, 0u);
        EXPECT_EQ(bitmap.biSizeImage, ((uint32_t(width) * 3 + 3) & ~3u) * uint32_t(height));
    }
    void ExpectAudioFormat(int channels, uint32_t rate, int bits) {
        ASSERT_TRUE(source.graph->Pipeline().HasAudio());
        EXPECT_EQ(Audio().wFormatTag, WAVE_FORMAT_PCM);
        EXPECT_EQ(Audio().nChannels, channels);
        EXPECT_EQ(Audio().nSamplesPerSec, rate);
        EXPECT_EQ(Audio().wBitsPerSample, bits);
        EXPECT_EQ(Audio().nBlockAlign, channels * bits / 8);
        EXPECT_EQ(Audio().nAvgBytesPerSec, rate * uint32_t(channels * bits / 8));
    }
    // Stereo sound from a lossy coder: about the samples that went in, each channel its own tone.
    void ExpectCodedStereo(const FixtureAudio& audio, int slackFrames) {
        const std::vector<int16_t> sound = Samples16(source.sound);
        EXPECT_GE(sound.size() / 2, size_t(audio.sampleCount - slackFrames));
        EXPECT_LE(sound.size() / 2, size_t(audio.sampleCount + 2 * slackFrames));
        EXPECT_NEAR(MeasuredHz(sound, 2, 0, audio.sampleRate), audio.toneHz[0], audio.toneHz[0] * 0.03);
        EXPECT_NEAR(MeasuredHz(sound, 2, 1, audio.sampleRate), audio.toneHz[1], audio.toneHz[1] * 0.03);
    }

    ScratchFolder scratch;
    RecordedSource source;
};

FixtureAudio MonoEightBit() {
    return {.codec = AV_CODEC_ID_PCM_U8, .sampleRate = 11025, .channelMask = AV_CH_LAYOUT_MONO, .toneHz = {440.0},
            .sampleCount = 11025};
}

TEST_F(SourceDelivery, RawAviWithEightBitMonoSound) {
    // 70 pixels make 210 bytes a row, padded to 212.
    FixtureMovie movie{.video = FixtureVideo{.width = 70, .height = 46, .frameRate = {25, 1}, .frameCount = 25},
                       .audio = MonoEightBit()};
    const std::string path = scratch.File("raw.avi");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path, 25);
    ExpectVideoFormat(70, 46, 400000);
    ExpectAudioFormat(1, 11025, 8);
    ExpectPicturesInOrder(source.pictures.buffers, 70, 46, 25, 0);

    std::vector<uint8_t> expected;
    for (int i = 0; i < movie.audio->sampleCount; ++i) expected.push_back(FixtureSample8(*movie.audio, 0, i));
    EXPECT_EQ(Joined(source.sound), expected);
}

TEST_F(SourceDelivery, MjpegAviWithSixteenBitStereoSound) {
    FixtureMovie movie{.video = FixtureVideo{.codec = AV_CODEC_ID_MJPEG, .frameRate = {24, 1}, .frameCount = 24},
                       .audio = FixtureAudio{}};
    const std::string path = scratch.File("mjpeg.avi");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path, 24);
    ExpectVideoFormat(128, 96, 416666);
    ExpectAudioFormat(2, 44100, 16);
    ExpectPicturesInOrder(source.pictures.buffers, 128, 96, 24, 40);

    std::vector<int16_t> expected;
    for (int i = 0; i < movie.audio->sampleCount; ++i)
        for (int channel = 0; channel < 2; ++channel) expected.push_back(FixtureSample16(*movie.audio, channel, i));
    EXPECT_EQ(Samples16(source.sound), expected);
}

TEST_F(SourceDelivery, AviWhoseFirstStreamIsSound) {
    FixtureMovie movie{.video = FixtureVideo{.codec = AV_CODEC_ID_MJPEG, .frameRate = {30, 1}, .frameCount = 15},
                       .audio = MonoEightBit(),
                       .audioFirst = true};
    movie.audio->sampleCount = 5512;
    const std::string path = scratch.File("soundfirst.avi");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path, 15);
    ExpectVideoFormat(128, 96, 333333);
    ExpectAudioFormat(1, 11025, 8);
    ExpectPicturesInOrder(source.pictures.buffers, 128, 96, 15, 40);
    EXPECT_EQ(Joined(source.sound).size(), 5512u);
}

// AVI stores pictures in decoding order with one time each, so the B-frames of an MPEG-4 AVI
// come out of the decoder with times late by its delay: every picture still comes once.
TEST_F(SourceDelivery, AviWithBFramesDeliversEachPictureOnce) {
    FixtureMovie movie{.video = FixtureVideo{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 30,
                                             .maxBFrames = 2},
                       .audio = MonoEightBit()};
    const std::string path = scratch.File("bframes.avi");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path, 30);
    ExpectPicturesInOrder(source.pictures.buffers, 128, 96, 30, 48);
}

TEST_F(SourceDelivery, MpegProgramStreamWithMp2Sound) {
    FixtureMovie movie{.container = "mpeg",
                       .video = FixtureVideo{.codec = AV_CODEC_ID_MPEG1VIDEO, .frameRate = {30, 1}, .frameCount = 30},
                       .audio = FixtureAudio{.codec = AV_CODEC_ID_MP2}};
    const std::string path = scratch.File("movie.mpg");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path, 30);
    ExpectVideoFormat(128, 96, 333333);
    ExpectAudioFormat(2, 44100, 16);
    ExpectPicturesInOrder(source.pictures.buffers, 128, 96, 30, 48);
    ExpectCodedStereo(*movie.audio, 1152);
}

TEST_F(SourceDelivery, Mp4WithH264AndAac) {
    FixtureMovie movie{.container = "mp4",
                       .video = FixtureVideo{.codec = AV_CODEC_ID_H264, .frameRate = {30000, 1001}, .frameCount = 30},
                       .audio = FixtureAudio{.codec = AV_CODEC_ID_AAC}};
    const std::string path = scratch.File("movie.mp4");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path, 30);
    ExpectVideoFormat(128, 96, 333666);
    ExpectAudioFormat(2, 44100, 16);
    ExpectPicturesInOrder(source.pictures.buffers, 128, 96, 30, 48);
    ExpectCodedStereo(*movie.audio, 1024);
}

// Every picture equals FFmpeg's own decode of the file, turned upside down, to the byte; the
// row padding stays zero. 70 pixels (210 bytes, padded to 212) is no multiple of the widths
// that the converters' vector code handles in one step.
TEST_F(SourceDelivery, PicturesEqualFFmpegsOwnDecodeUpsideDown) {
    for (const AVCodecID codec : {AV_CODEC_ID_MJPEG, AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_H264}) {
        SCOPED_TRACE(avcodec_get_name(codec));
        FixtureMovie movie{.video = FixtureVideo{.codec = codec, .width = 70, .height = 46, .frameCount = 10}};
        if (codec == AV_CODEC_ID_H264) movie.container = "mp4";
        const std::string path = scratch.File(std::string("oracle-") + avcodec_get_name(codec));
        WRITE_FIXTURE(path, movie);
        RecordedSource recorded;
        ASSERT_TRUE(recorded.Build(path)) << ErrorDetail;
        ASSERT_TRUE(RunSourceGraph(*recorded.graph));
        const std::vector<std::vector<uint8_t>> expected = DecodePicturesWithFFmpeg(path);
        ASSERT_EQ(recorded.pictures.buffers.size(), expected.size());
        for (size_t index = 0; index < expected.size(); ++index) {
            const std::vector<uint8_t>& picture = recorded.pictures.buffers[index];
            ASSERT_EQ(picture.size(), size_t(212 * 46));
            for (size_t row = 0; row < 46; ++row) {
                const uint8_t* ours = picture.data() + (45 - row) * 212;
                const uint8_t* theirs = expected[index].data() + row * 210;
                ASSERT_TRUE(std::equal(ours, ours + 210, theirs)) << "picture " << index << ", row " << row;
                EXPECT_EQ(ours[210], 0);
                EXPECT_EQ(ours[211], 0);
            }
        }
    }
}

TEST_F(SourceDelivery, MovieWithoutSoundHasNoAudioPath) {
    FixtureMovie movie{.video = FixtureVideo{.codec = AV_CODEC_ID_MJPEG, .frameCount = 10}};
    const std::string path = scratch.File("silent.avi");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path, 10);
    EXPECT_FALSE(source.graph->Pipeline().HasAudio());
    ExpectPicturesInOrder(source.pictures.buffers, 128, 96, 10, 40);
    EXPECT_EQ(source.sound.count, 0u);
}

TEST_F(SourceDelivery, FiveOneSoundIsMixedDownToTwoChannels) {
    // Front left and centre carry tones, the other channels are silent. The mix keeps the
    // left tone on the left only and spreads the centre over both.
    FixtureAudio audio{.channelMask = AV_CH_LAYOUT_5POINT1, .toneHz = {440.0, 0.0, 1000.0, 0.0, 0.0, 0.0},
                       .sampleCount = 22050};
    FixtureMovie movie{.video = FixtureVideo{.width = 32, .height = 24, .frameCount = 12}, .audio = audio};
    const std::string path = scratch.File("surround.avi");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path, 12);
    ExpectAudioFormat(2, 44100, 16);
    const std::vector<int16_t> sound = Samples16(source.sound);
    ASSERT_EQ(sound.size(), size_t(2 * audio.sampleCount));
    EXPECT_GT(Correlation(sound, 2, 0, audio, 0), 0.3);
    EXPECT_GT(Correlation(sound, 2, 0, audio, 2), 0.3);
    EXPECT_NEAR(Correlation(sound, 2, 1, audio, 0), 0.0, 0.01);
    EXPECT_GT(Correlation(sound, 2, 1, audio, 2), 0.99);
}

TEST_F(SourceDelivery, SinksCarryEverythingToTheEncoder) {
    FixtureMovie movie{.video = FixtureVideo{.width = 64, .height = 48, .frameCount = 25}, .audio = FixtureAudio{}};
    const std::string path = scratch.File("sinks.avi");
    WRITE_FIXTURE(path, movie);
    std::unique_ptr<MovieEncoder> encoder = PlainEncoder();
    std::unique_ptr<SourceGraph> graph;
    ASSERT_TRUE(BuildSourceGraph(graph, path, *encoder)) << ErrorDetail;
    EXPECT_TRUE(graph->VideoGrabber().HasCallback());
    EXPECT_TRUE(graph->AudioGrabber().HasCallback());
    ASSERT_TRUE(RunSourceGraph(*graph));
    EXPECT_EQ(encoder->SourceFrameCount(), 25u);
    // One second of sound at 44100 Hz becomes one second at the collecting rate.
    EXPECT_EQ(encoder->CollectedSamples().size(), 21024u);

    DetachSampleSinks(graph.get());
    EXPECT_FALSE(graph->VideoGrabber().HasCallback());
    EXPECT_FALSE(graph->AudioGrabber().HasCallback());
    DetachSampleSinks(nullptr);
}

}  // namespace
