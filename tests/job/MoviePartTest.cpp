// A part of a movie (a start and an end time) converts into a cartridge as long as the part,
// whose pictures and sound were both cut at the same movie times: every flash of the part on
// its beep, at its time counted from the part's start, and nothing from outside the part.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "platform/RunState.h"
#include "tests/job/JobTestSupport.h"
#include "tests/job/StreamTimeline.h"
#include "tests/player/TestCartridge.h"
#include "tests/source/SyncMovies.h"

namespace {

constexpr double kOneRefresh = 1.0 / kRefreshHz;

struct Part {
    SyncShape shape;
    const char* start;  // as the user gives them, counted from the movie's first picture
    const char* end;
    double startSeconds, endSeconds;
};

// Starts on the grid of the frames each shape keeps (15 or 12.5 a second), so that a flash can
// begin exactly on its beep; the Matroska part crosses the change from 10 to 30 frames a
// second, the MP4 part starts 5.8 s into a file whose sound began 5 s before its picture, and
// the MPEG program stream is sought into.
constexpr Part kParts[] = {
    {SyncShape::PlainAvi, "0.8", "3", 0.8, 3.0},
    {SyncShape::VariableRateMkv, "0:00:04", "0:06.000", 4.0, 6.0},
    {SyncShape::LatePictureMp4, "0.8", "", 0.8, 4.0},
    {SyncShape::AnamorphicMpeg, "2", "4.8", 2.0, 4.8},
};

// Seconds a record lasts on the handheld: 65536 / frameStep refreshes.
double RecordSeconds(const MovieStreamInfo& info) { return 65536.0 / info.frameStep / kRefreshHz; }

double Nearest(const std::vector<double>& times, double time) {
    double best = 1e9;
    for (const double t : times)
        if (std::abs(t - time) < std::abs(best - time)) best = t;
    return best;
}

class MoviePart : public testing::Test {
protected:
    WorkerFolder scratch;
};

TEST_F(MoviePart, LastsAsLongAsThePartWithEachFlashOnItsBeep) {
    for (const Part& part : kParts) {
        const SyncMovie movie = MakeSyncMovie(part.shape);
        SCOPED_TRACE(movie.name);
        FixtureStatus status = FixtureStatus::Failed;
        std::string message;
        ConversionRequest request;
        request.moviePath = WriteSyncMovie(part.shape, scratch.Path().string(), status, message);
        if (status == FixtureStatus::EncoderMissing) continue;
        ASSERT_EQ(status, FixtureStatus::Written) << message;
        request.outputPath = (scratch.Path() / "out.gba").string();
        request.startTime = part.start;
        request.endTime = part.end;
        ASSERT_EQ(RunWorker(request).returned, 0) << ErrorDetail;

        const StreamTimeline timeline = ReadStreamTimeline(ReadBytes(request.outputPath), PlayerRom().size());
        ASSERT_TRUE(timeline.stream.ok) << timeline.stream.error;
        const double length = part.endSeconds - part.startSeconds;
        const double frame = RecordSeconds(timeline.stream.info);
        std::printf("%-14s %.1f..%.1f s: pictures %.3f s, sound %.3f s (part %.3f s, a frame %.3f s)\n", movie.name,
                    part.startSeconds, part.endSeconds, timeline.pictureSeconds, timeline.soundSeconds, length, frame);
        EXPECT_NEAR(timeline.pictureSeconds, length, frame);
        EXPECT_NEAR(timeline.soundSeconds, length, frame);

        std::vector<double> onsets;
        for (const double onset : movie.onsets)
            if (onset >= part.startSeconds && onset < part.endSeconds) onsets.push_back(onset - part.startSeconds);
        EXPECT_EQ(timeline.flashes.size(), onsets.size());
        EXPECT_EQ(timeline.beeps.size(), onsets.size());
        for (const double onset : onsets) {
            EXPECT_NEAR(Nearest(timeline.flashes, onset), onset, kOneRefresh) << "flash at " << onset << " s";
            EXPECT_NEAR(Nearest(timeline.beeps, onset), onset, kOneRefresh) << "beep at " << onset << " s";
        }
    }
}

}  // namespace
