// Decoding on more threads, or leaving out work the image does not need, changes only the time
// a conversion takes: the image is the same byte for byte, on every run.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/RunState.h"
#include "source/DecodingOptions.h"
#include "tests/job/JobTestSupport.h"

namespace {

struct Case {
    const char* name;
    FixtureMovie movie;
    bool leavesOut;  // pictures that no record shows go undecoded
};

// Out-of-order pictures (H.264 with B-frames in MP4, MPEG-2 in a program stream, whose times
// may jump) and pictures that stand alone (MJPEG), halved in frame rate so that some decoded
// pictures are not shown.
std::vector<Case> Cases() {
    FixtureVideo base;
    base.width = 320;
    base.height = 240;
    base.frameCount = 50;
    std::vector<Case> cases;
    FixtureMovie h264{.container = "mp4", .video = base};
    h264.video->codec = AV_CODEC_ID_H264;
    h264.video->maxBFrames = 3;
    cases.push_back({"h264.mp4", h264, true});
    FixtureMovie mpeg2{.container = "mpeg", .video = base, .audio = FixtureAudio{}};
    mpeg2.video->codec = AV_CODEC_ID_MPEG2VIDEO;
    mpeg2.video->maxBFrames = 2;
    mpeg2.audio->codec = AV_CODEC_ID_MP2;
    cases.push_back({"mpeg2.mpg", mpeg2, false});
    FixtureMovie mjpeg{.container = "avi", .video = base, .audio = FixtureAudio{}};
    mjpeg.video->codec = AV_CODEC_ID_MJPEG;
    cases.push_back({"mjpeg.avi", mjpeg, true});
    return cases;
}

// Puts the process's decoding options back as every conversion has them.
class DefaultOptionsAfter {
public:
    ~DefaultOptionsAfter() {
        ProcessDecodingOptions().decoderThreads = 0;
        ProcessDecodingOptions().leaveOutUnshown = true;
    }
};

class Determinism : public testing::Test {
protected:
    std::vector<uint8_t> Convert(const ConversionRequest& request) {
        const WorkerRun run = RunWorker(request);
        EXPECT_EQ(run.returned, 0) << ErrorDetail;
        return ReadBytes(request.outputPath);
    }

    WorkerFolder scratch;
    DefaultOptionsAfter restore;
};

// Each movie converted with every picture decoded and converted on one decoder thread, then
// with the work on pictures no record shows left out, on one, two and the default threads.
TEST_F(Determinism, SameImageWithOneOrTwoDecoderThreadsAndOnEveryRun) {
    for (const Case& fixture : Cases()) {
        SCOPED_TRACE(fixture.name);
        std::string message;
        const std::string path = (scratch.Path() / fixture.name).string();
        const FixtureStatus status = WriteFixtureMovie(path, fixture.movie, message);
        if (status == FixtureStatus::EncoderMissing) continue;
        ASSERT_EQ(status, FixtureStatus::Written) << message;
        ConversionRequest request;
        request.moviePath = path;
        request.outputPath = (scratch.Path() / "out.gba").string();
        request.frameRateChoice = 4;  // 1/2

        ProcessDecodingOptions().decoderThreads = 1;
        ProcessDecodingOptions().leaveOutUnshown = false;
        const std::vector<uint8_t> everyPicture = Convert(request);
        ASSERT_FALSE(everyPicture.empty());
        const int64_t decoded = ProcessDecodingCounts().decoded;
        EXPECT_EQ(ProcessDecodingCounts().converted, decoded);
        ProcessDecodingOptions().leaveOutUnshown = true;
        EXPECT_EQ(Convert(request), everyPicture) << "one decoder thread";
        // Every second slot becomes a record, one picture a slot: only those are converted,
        // and pictures shown in no record are left undecoded (MJPEG's all, H.264's unreferenced
        // ones; none in a program stream, whose times may jump).
        EXPECT_EQ(ProcessDecodingCounts().converted, (decoded + 1) / 2);
        const int64_t leftOut = decoded - ProcessDecodingCounts().decoded;
        if (fixture.leavesOut)
            EXPECT_GT(leftOut, 0);
        else
            EXPECT_EQ(leftOut, 0);
        std::printf("%s: %lld of %lld pictures decoded\n", fixture.name, (long long)(decoded - leftOut), (long long)decoded);
        ProcessDecodingOptions().decoderThreads = 2;
        EXPECT_EQ(Convert(request), everyPicture) << "two decoder threads";
        ProcessDecodingOptions().decoderThreads = 0;
        for (int run = 0; run < 3; ++run) EXPECT_EQ(Convert(request), everyPicture) << "defaults, run " << run;
    }
}

}  // namespace
