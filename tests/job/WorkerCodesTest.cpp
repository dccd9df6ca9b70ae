// Every way a run can end, each made to happen: the completion code posted once, the
// temporary folder left empty, and an existing output untouched by a failed run.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "platform/ConvertNotify.h"
#include "platform/AbortEvent.h"
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
        EXPECT_TRUE(LeftoverImageFiles(scratch.Path()).empty()) << LeftoverImageFiles(scratch.Path()).front();
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
    EXPECT_EQ(ErrorDetail, "未対応の映像フォーマットです\n切り取りの後に映像が残りません: 128 x 96 の映像から左右 1000 + 0、上下 0 + 0");
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

// Signals the run's abort when a notice of the given code (and text, for a status) arrives.
class AbortingReceiver : public NotifyReceiver {
public:
    AbortingReceiver(uint32_t code, std::string text = {}) : code(code), text(std::move(text)) {}
    void Send(uint32_t sent, intptr_t value) override {
        if (sent == code && (text.empty() || text == reinterpret_cast<const char*>(value))) abortEvent.Signal();
    }
    void Post(uint32_t posted, intptr_t value) override {
        if (posted == NOTIFY_COMPLETED) completion = int(value);
    }
    AbortEvent abortEvent;
    int completion = -1;

private:
    const uint32_t code;
    const std::string text;
};

// An abort during the decode, and one during the sound coding after "100%": code 5 either
// way, nothing left behind, the existing output as it was.
TEST_F(WorkerCodes, AbortGivesFiveAndLeavesTheOutputAlone) {
    const std::string movie = MakeMovie(scratch.Path(), "movie.avi", SmallAvi(2));
    const auto abortAt = [&](AbortingReceiver* receiver) {
        ConversionRequest request = Request(movie);
        std::ofstream(request.outputPath) << "keep";
        request.dialogWindow = receiver;
        request.abortEvent = &receiver->abortEvent;
        NotifyWindow = receiver;
        AbortRequested = false;
        EXPECT_EQ(ConversionWorker(request), 5);
        NotifyWindow = nullptr;
        EXPECT_TRUE(receiver->abortEvent.IsSignalled());
        EXPECT_EQ(receiver->completion, 5);
        EXPECT_TRUE(AbortRequested);
        EXPECT_EQ(ReadBytes(request.outputPath), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
        EXPECT_TRUE(scratch.LeftoverTemporaryFiles().empty());
        EXPECT_TRUE(LeftoverImageFiles(scratch.Path()).empty());
    };
    AbortingReceiver decoding(NOTIFY_PROGRESS);
    abortAt(&decoding);
    AbortingReceiver coding(NOTIFY_STATUS, "音声の変換中...");
    abortAt(&coding);
    AbortRequested = false;
}

// One frame thinned by 1/4 leaves no picture: a failure that says so, not an image of nothing.
TEST_F(WorkerCodes, RunThatKeepsNoFrameFailsWithFive) {
    FixtureMovie oneFrame = SmallAvi();
    oneFrame.video->frameCount = 1;
    oneFrame.audio->sampleCount = 1764;
    ConversionRequest request = Request(MakeMovie(scratch.Path(), "one.avi", oneFrame));
    request.frameRateChoice = 7;  // 1/4
    EXPECT_EQ(Run(request), 5);
    EXPECT_FALSE(AbortRequested);
    EXPECT_EQ(ErrorDetail, "変換できる映像フレームがありません");
    EXPECT_FALSE(std::filesystem::exists(request.outputPath));
}

// The sound of an MP3 or WAV file alone is no movie.
TEST_F(WorkerCodes, SoundWithoutPictureSaysSo) {
    FixtureMovie sound;
    sound.container = "wav";
    sound.video.reset();
    sound.audio = FixtureAudio{};
    EXPECT_EQ(Run(Request(MakeMovie(scratch.Path(), "sound.wav", sound))), 4);
    EXPECT_EQ(ErrorDetail, "映像ストリームがありません");
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
    EXPECT_EQ(ErrorDetail, "出力先ファイルを作成できません " + request.outputPath + ": No such file or directory");
    // A folder where the image should go cannot be replaced by it.
    request.outputPath = scratch.Path().string();
    EXPECT_EQ(Run(request), 1001);
    EXPECT_NE(ErrorDetail.find("Is a directory"), std::string::npos) << ErrorDetail;
}

}  // namespace
