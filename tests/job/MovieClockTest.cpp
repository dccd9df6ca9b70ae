// Movies whose timing is anything but plain constant rate convert into cartridges that play
// as long as the movie, with every flash on the handheld's screen within one refresh of its
// beep and of the movie's own time, and with the picture as a player shows it.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "platform/RunState.h"
#include "tests/job/JobTestSupport.h"
#include "tests/job/StreamTimeline.h"
#include "tests/player/SyncOnsets.h"
#include "tests/player/TestCartridge.h"
#include "tests/source/SyncMovies.h"

namespace {

constexpr double kOneRefresh = 1.0 / kRefreshHz;
constexpr double kLengthTolerance = 0.02;

// The sizes the automatic plan gives, worked out by hand from the shown picture: 128 x 96 and
// 64 x 48 (4:3) are 212 x 160; 96 x 128 is 120 x 160; 1024 x 576 (16:9) is 240 x 136.
struct PlannedSize {
    uint16_t width, height;
};
PlannedSize ExpectedSize(SyncShape shape) {
    switch (shape) {
        case SyncShape::AnamorphicMpeg: return {240, 136};
        case SyncShape::RotatedMp4: return {120, 160};
        default: return {212, 160};
    }
}

// The nearest of `times` to `time`, as an offset from it; a whole second when there is none.
double NearestOffset(const std::vector<double>& times, double time) {
    double best = 1.0;
    for (const double t : times)
        if (std::abs(t - time) < std::abs(best)) best = t - time;
    return best;
}

struct Rgb8 {
    int r, g, b;
};
Rgb8 PixelAt(const std::vector<uint8_t>& rgb, int width, int x, int y) {
    const size_t at = (size_t(y) * size_t(width) + size_t(x)) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}
bool IsMarkerRed(Rgb8 pixel) { return pixel.r > 150 && pixel.g < 90 && pixel.b < 90; }

}  // namespace

// Names the shape in test listings.
void PrintTo(SyncShape shape, std::ostream* out) { *out << MakeSyncMovie(shape).name; }

namespace {

class MovieClock : public testing::TestWithParam<SyncShape> {
protected:
    WorkerFolder scratch;
};

TEST_P(MovieClock, PlaysAsLongAsTheMovieWithEachFlashOnItsBeep) {
    const SyncMovie movie = MakeSyncMovie(GetParam());
    FixtureStatus status = FixtureStatus::Failed;
    std::string message;
    ConversionRequest request;
    request.moviePath = WriteSyncMovie(GetParam(), scratch.Path().string(), status, message);
    if (status == FixtureStatus::EncoderMissing) GTEST_SKIP() << message;
    ASSERT_EQ(status, FixtureStatus::Written) << message;
    request.outputPath = (scratch.Path() / "out.gba").string();
    ASSERT_EQ(RunWorker(request).returned, 0) << ErrorDetail;

    const std::vector<uint8_t> image = ReadBytes(request.outputPath);
    const StreamTimeline timeline = ReadStreamTimeline(image, PlayerRom().size());
    ASSERT_TRUE(timeline.stream.ok) << timeline.stream.error;
    const MovieStreamInfo& info = timeline.stream.info;

    std::printf("%-14s pictures %.3f s, sound %.3f s (movie %.3f s); offsets in ms, flash/beep against the movie:",
                movie.name, timeline.pictureSeconds, timeline.soundSeconds, movie.seconds);
    for (const double onset : movie.onsets)
        std::printf(" %+.1f/%+.1f", 1000 * NearestOffset(timeline.flashes, onset),
                    1000 * NearestOffset(timeline.beeps, onset));
    std::printf("\n");

    EXPECT_EQ(info.width, ExpectedSize(GetParam()).width);
    EXPECT_EQ(info.height, ExpectedSize(GetParam()).height);
    EXPECT_NEAR(timeline.pictureSeconds, movie.seconds, movie.seconds * kLengthTolerance);
    EXPECT_NEAR(timeline.soundSeconds, movie.seconds, movie.seconds * kLengthTolerance);

    // Sound before the first picture is not in the cartridge: exactly one flash and one beep per onset.
    EXPECT_EQ(timeline.flashes.size(), movie.onsets.size());
    EXPECT_EQ(timeline.beeps.size(), movie.onsets.size());
    for (const double onset : movie.onsets) {
        const double flash = onset + NearestOffset(timeline.flashes, onset);
        const double beep = onset + NearestOffset(timeline.beeps, onset);
        EXPECT_NEAR(flash, onset, kOneRefresh) << "flash at " << onset << " s";
        EXPECT_NEAR(beep, onset, kOneRefresh) << "beep at " << onset << " s";
        EXPECT_NEAR(flash, beep, kOneRefresh) << "at " << onset << " s";
    }

    // The same on the handheld: the core's screen and sound, timed from record 0 first seen.
    const SyncOnsets core = FindSyncOnsets(image);
    ASSERT_TRUE(core.error.empty()) << core.error;
    std::printf("%-14s on the core:\n%s", movie.name, DescribeSync(core).c_str());
    EXPECT_NEAR(core.passMs, 1000 * movie.seconds, 1000 * movie.seconds * kLengthTolerance);
    ASSERT_EQ(core.flashes.size(), movie.onsets.size());
    for (size_t i = 0; i < movie.onsets.size(); ++i)
        EXPECT_NEAR(core.flashes[i].ms, 1000 * movie.onsets[i], 1000 * kOneRefresh) << "flash " << i;
    for (const double offset : BeepOffsetsMs(core)) EXPECT_LE(std::abs(offset), 1000 * kOneRefresh);

    // The marker sits in the top left corner of the picture as a player shows it.
    const int width = info.width, height = info.height;
    ASSERT_EQ(timeline.firstPicture.size(), size_t(width) * size_t(height) * 3);
    EXPECT_TRUE(IsMarkerRed(PixelAt(timeline.firstPicture, width, width / 8, height / 8)));
    for (const auto& [x, y] : {std::pair{width * 7 / 8, height / 8}, {width / 8, height * 7 / 8},
                              {width * 7 / 8, height * 7 / 8}})
        EXPECT_FALSE(IsMarkerRed(PixelAt(timeline.firstPicture, width, x, y))) << "marker at " << x << ", " << y;
}

INSTANTIATE_TEST_SUITE_P(SyncMovies, MovieClock, testing::ValuesIn(kSyncShapes),
                         [](const testing::TestParamInfo<SyncShape>& info) {
                             std::string name = MakeSyncMovie(info.param).name;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
