// Every way a run can end, each made to happen: the completion code posted once, the
// temporary folder left empty, and an existing output untouched by a failed run.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "platform/ConvertNotify.h"
#include "platform/NamedEvent.h"
#include "platform/RunState.h"
#include "job/ConversionWorker.h"
#include "tests/job/JobTestSupport.h"

namespace {

class WorkerCodes : public testing::Test {
protected:
    ConversionRequest Request(const std::string& movie) const {
        ConversionRequest request;
        request.moviePath = movie;
        request.outputPath = (scratch.Path() / "out.gba").string();
        return request;
    }

    // Runs the worker and checks what every run must do, whatever its outcome.
    int Run(const ConversionRequest& request) {
        const WorkerRun run = RunWorker(request);
        EXPECT_EQ(run.CompletionNotices(), 1);
        EXPECT_EQ(run.PostedCode(), run.returned);
        EXPECT_TRUE(scratch.LeftoverTemporaryFiles().empty()) << scratch.LeftoverTemporaryFiles().front();
        return run.returned;
    }

    WorkerFolder scratch;
};

TEST_F(WorkerCodes, RejectedParametersGiveThree) {
    const std::string movie = MakeMovie(scratch.Path(), "movie.avi", SmallAvi());
    ConversionRequest zeroBitrate = Request(movie);
    zeroBitrate.bitrate = 0;
    EXPECT_EQ(Run(zeroBitrate), 3);

    ConversionRequest oddWidth = Request(movie);
    oddWidth.autoSize = 0;
    oddWidth.width = 238;
    EXPECT_EQ(Run(oddWidth), 3);
    EXPECT_FALSE(std::filesystem::exists(oddWidth.outputPath));

    // With the automatic size on, the fields are not passed at all.
    oddWidth.autoSize = 1;
    EXPECT_EQ(Run(oddWidth), 0);
}

TEST_F(WorkerCodes, TrimModesDecideWhichMarginsArePassed) {
    const std::string movie = MakeMovie(scratch.Path(), "movie.avi", SmallAvi());
    ConversionRequest request = Request(movie);
    request.trimLeft = 1000;  // wider than the 128-pixel movie
    request.trimMode = 1;     // automatic trimming only: the margins are not passed
    EXPECT_EQ(Run(request), 0);
    request.trimMode = 3;  // manual: the margins leave no picture
    EXPECT_EQ(Run(request), 4);
    EXPECT_EQ(ErrorDetail, "未対応の映像フォーマットです");
}

TEST_F(WorkerCodes, MissingMovieGivesFourWithTheDecoderText) {
    EXPECT_EQ(Run(Request((scratch.Path() / "nothing.avi").string())), 4);
    EXPECT_NE(ErrorDetail.find("No such file"), std::string::npos) << ErrorDetail;
}

TEST_F(WorkerCodes, MovieWithoutLengthGivesSix) {
    // A bare H.264 stream states a frame rate but neither a length nor a duration.
    if (!avcodec_find_encoder(AV_CODEC_ID_H264)) GTEST_SKIP() << "no H.264 encoder in this FFmpeg";
    FixtureMovie bare;
    bare.container = "h264";
    bare.video->codec = AV_CODEC_ID_H264;
    const std::string movie = MakeMovie(scratch.Path(), "movie.h264", bare);
    EXPECT_EQ(Run(Request(movie)), 6);
    EXPECT_FALSE(std::filesystem::exists(scratch.Path() / "out.gba"));
}

// Sends abort while the first progress notice holds the video thread long enough for the
// run loop's half-second poll to see it.
class AbortingReceiver : public NotifyReceiver {
public:
    void Send(uint32_t code, intptr_t) override {
        if (code != NOTIFY_PROGRESS || signalled) return;
        signalled = OpenAndSignalNamedEvent(kAbortEventName);
        if (signalled) std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    }
    void Post(uint32_t code, intptr_t value) override {
        if (code == NOTIFY_COMPLETED) completion = int(value);
    }
    bool signalled = false;
    int completion = -1;
};

TEST_F(WorkerCodes, AbortGivesFiveAndLeavesTheOutputAlone) {
    const std::string movie = MakeMovie(scratch.Path(), "movie.avi", SmallAvi(2));
    ConversionRequest request = Request(movie);
    std::ofstream(request.outputPath) << "keep";
    AbortingReceiver receiver;
    request.dialogWindow = &receiver;
    NotifyWindow = &receiver;
    AbortRequested = false;
    EXPECT_EQ(ConversionWorker(request), 5);
    NotifyWindow = nullptr;
    EXPECT_TRUE(receiver.signalled);
    EXPECT_EQ(receiver.completion, 5);
    EXPECT_TRUE(AbortRequested);
    EXPECT_EQ(ReadBytes(request.outputPath), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_TRUE(scratch.LeftoverTemporaryFiles().empty());
    AbortRequested = false;
}

TEST_F(WorkerCodes, UnusableTemporaryFolderGivesThousand) {
    setenv("TMPDIR", (scratch.Path() / "missing").c_str(), 1);
    const WorkerRun run = RunWorker(Request("whatever.avi"));
    EXPECT_EQ(run.returned, 1000);
    EXPECT_EQ(run.PostedCode(), 1000);
}

TEST_F(WorkerCodes, MissingOutputFolderGivesThousandOne) {
    const std::string movie = MakeMovie(scratch.Path(), "movie.avi", SmallAvi());
    ConversionRequest request = Request(movie);
    request.outputPath = (scratch.Path() / "no-folder" / "out.gba").string();
    EXPECT_EQ(Run(request), 1001);
}

}  // namespace
