// The source's clock: pictures on the grid of the planned rate, the length in frames of that
// grid, sound joined to the picture's time line, and pictures turned and scaled as a player
// shows them. Expected values are worked out by hand from the fixtures' timestamps.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/RunState.h"
#include "source/internal/DecodingPipeline.h"
#include "tests/source/SourceTestSupport.h"
#include "tests/source/SyncMovies.h"

namespace {

class SourceTiming : public ::testing::Test {
protected:
    void SetUp() override { ClearRunState(); }

    // Builds, reads the length and runs to the end.
    int64_t BuildAndRun(const std::string& path) {
        int64_t length = -1;
        EXPECT_TRUE(source.Build(path)) << ErrorDetail;
        if (!source.graph) return length;
        EXPECT_TRUE(QuerySourceLength(*source.graph, length));
        EXPECT_TRUE(RunSourceGraph(*source.graph)) << ErrorDetail;
        return length;
    }
    const VideoInfoHeader& Video() { return source.graph->Pipeline().VideoFormat(); }

    std::vector<int16_t> Sound() const {
        std::vector<int16_t> samples;
        for (const auto& buffer : source.sound.buffers) {
            const size_t at = samples.size();
            samples.resize(at + buffer.size() / 2);
            std::memcpy(samples.data() + at, buffer.data(), buffer.size() / 2 * 2);
        }
        return samples;
    }

    ScratchFolder scratch;
    RecordedSource source;
};

// Pictures at 0, 100, 130, 160, 200, 400, 440 and 500 ms, the last lasting 100 ms, in a file
// stating 10 frames a second. Slot k takes the latest picture within 50 ms after k x 100 ms:
// pictures 0, 2, 4, 4 (held over the gap), 6 and 7; pictures 1, 3 and 5 share a slot with a
// later one.
TEST_F(SourceTiming, EachSlotGetsTheLatestPictureWhoseTimeHasCome) {
    const std::vector<int64_t> milliseconds{0, 100, 130, 160, 200, 400, 440, 500, 600};
    FixtureMovie movie{.container = "matroska",
                       .video = FixtureVideo{.codec = AV_CODEC_ID_MPEG4, .frameRate = {10, 1}, .frameCount = 8,
                                             .timeBase = {1, 1000}}};
    movie.video->pts = [&](int index) { return milliseconds[size_t(index)]; };
    const std::string path = scratch.File("crowded.mkv");
    WRITE_FIXTURE(path, movie);
    EXPECT_EQ(BuildAndRun(path), 6);
    std::vector<int> shown;
    for (const auto& picture : source.pictures.buffers) shown.push_back(ReadFrameNumber(picture, 128, 96));
    EXPECT_EQ(shown, (std::vector<int>{0, 2, 4, 4, 6, 7}));
}

// Every sync movie delivers the grid frames of its length: 4 s at 30 fps, 7 s at 30 fps (the
// variable-rate movie states 30), 5 s at 25 fps; drop frames count, the late picture's 5 s
// without one do not. The length read beforehand is that count; a program stream states no
// length, and FFmpeg's estimate from its timestamps may miss the last frames.
TEST_F(SourceTiming, LengthIsTheGridsFrameCount) {
    for (const SyncShape shape : kSyncShapes) {
        const SyncMovie movie = MakeSyncMovie(shape);
        SCOPED_TRACE(movie.name);
        FixtureStatus status = FixtureStatus::Failed;
        std::string message;
        const std::string path = WriteSyncMovie(shape, scratch.Path().string(), status, message);
        if (status == FixtureStatus::EncoderMissing) GTEST_SKIP() << message;
        ASSERT_EQ(status, FixtureStatus::Written) << message;
        RecordedSource recorded;
        ASSERT_TRUE(recorded.Build(path)) << ErrorDetail;
        int64_t length = -1;
        EXPECT_TRUE(QuerySourceLength(*recorded.graph, length));
        ASSERT_TRUE(RunSourceGraph(*recorded.graph));
        const int64_t expected =
            shape == SyncShape::VariableRateMkv ? 210 : shape == SyncShape::AnamorphicMpeg ? 125 : 120;
        EXPECT_NEAR(double(length), double(expected), shape == SyncShape::AnamorphicMpeg ? 2.0 : 0.0);
        EXPECT_EQ(int64_t(recorded.pictures.buffers.size()), expected);
    }
}

// 8 kHz mono PCM in Matroska: 1024-sample frames last exactly 128 ms, so every timestamp is exact.
FixtureMovie EightKilohertzMovie(int sampleCount) {
    return {.container = "matroska",
            .video = FixtureVideo{.codec = AV_CODEC_ID_MPEG4, .width = 32, .height = 24, .frameRate = {25, 1},
                                  .frameCount = 50},
            .audio = FixtureAudio{.sampleRate = 8000, .channelMask = AV_CH_LAYOUT_MONO, .toneHz = {300.0},
                                  .sampleCount = sampleCount}};
}

std::vector<int16_t> FixtureSamples(const FixtureAudio& audio, int from, int to) {
    std::vector<int16_t> samples;
    for (int i = from; i < to; ++i) samples.push_back(FixtureSample16(audio, 0, i));
    return samples;
}

std::vector<int16_t> Joined(std::vector<int16_t> first, const std::vector<int16_t>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST_F(SourceTiming, LateSoundBeginsAfterSilence) {
    FixtureMovie movie = EightKilohertzMovie(14000);
    movie.audio->startSample = 2000;  // 250 ms
    const std::string path = scratch.File("latesound.mkv");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path);
    EXPECT_EQ(Sound(), Joined(std::vector<int16_t>(2000, 0), FixtureSamples(*movie.audio, 0, 14000)));
}

TEST_F(SourceTiming, SoundBeforeTheFirstPictureIsDropped) {
    FixtureMovie movie = EightKilohertzMovie(16000);
    movie.video->pts = [](int index) { return 12 + index; };  // the picture from 480 ms
    const std::string path = scratch.File("latepicture.mkv");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path);
    EXPECT_EQ(Sound(), FixtureSamples(*movie.audio, 3840, 16000));
}

TEST_F(SourceTiming, GapsInTheSoundAreFilledWithSilence) {
    FixtureMovie movie = EightKilohertzMovie(14000);
    movie.audio->gapBeforeSample = 8192;  // after 1024 ms, 200 ms without sound
    movie.audio->gapSamples = 1600;
    const std::string path = scratch.File("gap.mkv");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path);
    EXPECT_EQ(Sound(), Joined(Joined(FixtureSamples(*movie.audio, 0, 8192), std::vector<int16_t>(1600, 0)),
                              FixtureSamples(*movie.audio, 8192, 14000)));
}

// A transport stream whose clock jumps 20 s ahead after 1 s, as a broadcast recording's may
// where two programmes were joined: the movie goes on as it was, neither a held picture nor
// silence fills the jump.
TEST_F(SourceTiming, JumpsOfATransportStreamsClockAreJoinedUp) {
    FixtureMovie movie{.container = "mpegts",
                       .video = FixtureVideo{.codec = AV_CODEC_ID_MPEG2VIDEO, .width = 32, .height = 24,
                                             .frameRate = {25, 1}, .frameCount = 50},
                       .audio = FixtureAudio{.codec = AV_CODEC_ID_MP2, .sampleCount = 88200}};
    movie.video->pts = [](int index) { return index < 25 ? index : index + 500; };
    movie.audio->gapBeforeSample = 38 * 1152;  // at the MP2 frame nearest to 1 s
    movie.audio->gapSamples = 20 * 44100;
    const std::string path = scratch.File("joined.ts");
    WRITE_FIXTURE(path, movie);
    BuildAndRun(path);
    EXPECT_EQ(source.pictures.buffers.size(), 50u);
    EXPECT_NEAR(double(Sound().size() / 2), 88200.0, 2 * 1152.0);
}

// A stream that states no average rate (0/0) states its nominal one instead: 24 fps is 416666
// in 100 ns units; with neither it states none, and the plan refuses it as before.
TEST(SourceRate, AStreamWithoutAnAverageRateStatesItsNominalOne) {
    const ffmpeg::OutputFormatPtr context(avformat_alloc_context());
    ASSERT_NE(context, nullptr);
    AVStream* stream = avformat_new_stream(context.get(), nullptr);
    ASSERT_NE(stream, nullptr);
    stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream->codecpar->codec_id = AV_CODEC_ID_RAWVIDEO;
    stream->codecpar->format = AV_PIX_FMT_BGR24;
    stream->codecpar->width = 32;
    stream->codecpar->height = 24;
    stream->time_base = {1, 24};
    SampleGrabber grabber;
    for (const auto& [nominal, avgTimePerFrame] : {std::pair{AVRational{24, 1}, 416666}, {AVRational{0, 1}, 0}}) {
        stream->r_frame_rate = nominal;
        VideoDecoder decoder(grabber);
        ASSERT_EQ(decoder.Open(*stream), 0);
        EXPECT_EQ(decoder.Format().AvgTimePerFrame, avgTimePerFrame);
    }
}

}  // namespace

namespace {

constexpr Rgb kRed{220, 30, 30}, kGreen{30, 220, 30}, kBlue{30, 30, 220}, kYellow{220, 220, 30};

struct Corners {
    Rgb topLeft, topRight, bottomLeft, bottomRight;
};

struct OrientationCase {
    const char* name;
    std::optional<std::array<int32_t, 9>> matrix;  // as phones write them: 16.16, last column 2.30
    AVRational sampleAspect;
    Corners stored;  // quadrant colours of the stored 64 x 48 picture
    int shownWidth, shownHeight;
};

// Shown, every case has red top left, green top right, blue bottom left and yellow bottom
// right. Stored, the quadrants are where a clockwise turn by the matrix's angle takes them
// there; pixels of 64:45 or 2:1 shrink the height, 8:9 the width; 404:405 is square.
const OrientationCase kOrientationCases[] = {
    {"upright", std::nullopt, {0, 1}, {kRed, kGreen, kBlue, kYellow}, 64, 48},
    {"quarter", std::array<int32_t, 9>{0, 1 << 16, 0, -(1 << 16), 0, 0, 48 << 16, 0, 1 << 30}, {0, 1},
     {kGreen, kYellow, kRed, kBlue}, 48, 64},
    {"half", std::array<int32_t, 9>{-(1 << 16), 0, 0, 0, -(1 << 16), 0, 64 << 16, 48 << 16, 1 << 30}, {0, 1},
     {kYellow, kBlue, kGreen, kRed}, 64, 48},
    {"three quarters", std::array<int32_t, 9>{0, -(1 << 16), 0, 1 << 16, 0, 0, 0, 64 << 16, 1 << 30}, {0, 1},
     {kBlue, kRed, kYellow, kGreen}, 48, 64},
    {"wide pixels", std::nullopt, {64, 45}, {kRed, kGreen, kBlue, kYellow}, 64, 34},
    {"narrow pixels", std::nullopt, {8, 9}, {kRed, kGreen, kBlue, kYellow}, 57, 48},
    {"nearly square pixels", std::nullopt, {404, 405}, {kRed, kGreen, kBlue, kYellow}, 64, 48},
    {"wide pixels turned", std::array<int32_t, 9>{0, 1 << 16, 0, -(1 << 16), 0, 0, 48 << 16, 0, 1 << 30}, {2, 1},
     {kGreen, kYellow, kRed, kBlue}, 24, 64},
};

// A point of a delivered picture (bottom-up B,G,R rows padded to 4 bytes) in shown orientation.
Rgb ShownPixel(const std::vector<uint8_t>& picture, int width, int height, int x, int y) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    const uint8_t* pixel = picture.data() + size_t(height - 1 - y) * stride + size_t(x) * 3;
    return {pixel[2], pixel[1], pixel[0]};
}

void ExpectNear(Rgb actual, Rgb expected, const char* corner) {
    EXPECT_NEAR(actual.r, expected.r, 40) << corner;
    EXPECT_NEAR(actual.g, expected.g, 40) << corner;
    EXPECT_NEAR(actual.b, expected.b, 40) << corner;
}

TEST(SourceOrientation, PicturesAreDeliveredAsShown) {
    ScratchFolder scratch;
    for (const OrientationCase& shape : kOrientationCases) {
        SCOPED_TRACE(shape.name);
        ClearRunState();
        FixtureMovie movie{.container = "mp4",
                           .video = FixtureVideo{.codec = AV_CODEC_ID_MPEG4, .width = 64, .height = 48, .frameCount = 3,
                                                 .sampleAspect = shape.sampleAspect, .displayMatrix = shape.matrix}};
        movie.video->draw = [&stored = shape.stored](int, std::span<Rgb> picture) {
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 64; ++x)
                    picture[size_t(y) * 64 + size_t(x)] = y < 24 ? (x < 32 ? stored.topLeft : stored.topRight)
                                                                 : (x < 32 ? stored.bottomLeft : stored.bottomRight);
        };
        const std::string path = scratch.File(std::string(shape.name) + ".mp4");
        WRITE_FIXTURE(path, movie);
        RecordedSource source;
        ASSERT_TRUE(source.Build(path)) << ErrorDetail;
        const BitmapInfoHeader& bitmap = source.graph->Pipeline().VideoFormat().bmiHeader;
        EXPECT_EQ(bitmap.biWidth, shape.shownWidth);
        EXPECT_EQ(bitmap.biHeight, shape.shownHeight);
        ASSERT_TRUE(RunSourceGraph(*source.graph));
        ASSERT_EQ(source.pictures.buffers.size(), 3u);
        const std::vector<uint8_t>& picture = source.pictures.buffers[1];
        const int w = int(bitmap.biWidth), h = int(bitmap.biHeight);
        ASSERT_EQ(picture.size(), ((size_t(w) * 3 + 3) & ~size_t(3)) * size_t(h));
        ExpectNear(ShownPixel(picture, w, h, w / 4, h / 4), kRed, "top left");
        ExpectNear(ShownPixel(picture, w, h, w * 3 / 4, h / 4), kGreen, "top right");
        ExpectNear(ShownPixel(picture, w, h, w / 4, h * 3 / 4), kBlue, "bottom left");
        ExpectNear(ShownPixel(picture, w, h, w * 3 / 4, h * 3 / 4), kYellow, "bottom right");
    }
}

}  // namespace
