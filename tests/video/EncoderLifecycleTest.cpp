// The encoder's stream lifecycle against a scripted compressor: which frames become records,
// their budgets, the checks on what the compressor answers, and how the stream is finished.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/RecordingNotifyReceiver.h"
#include "platform/RunState.h"
#include "tests/video/FakeCompressor.h"
#include "video/FrameScaler.h"
#include "video/MovieEncoder.h"
#include "video/MovieStreamReader.h"
#include "tests/support/ScratchFolder.h"

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class EncoderLifecycle : public testing::Test {
protected:
    void SetUp() override {
        NotifyWindow = &receiver;
        AbortRequested = false;
    }
    void TearDown() override {
        NotifyWindow = nullptr;
        AbortRequested = false;
    }

    // An 8 x 8 movie at `avgTimePerFrame`, kept at its size with no pre-filter, so that the
    // compressor sees each decoded frame unchanged.
    void Plan(int64_t avgTimePerFrame, int32_t frameRateMode, int32_t width = 8, int32_t height = 8) {
        ASSERT_TRUE(encoder.SetOutputFile(path.string()));
        ASSERT_TRUE(encoder.SetParameters({}, false, width, height, frameRateMode, 0, 120));
        VideoInfoHeader format;
        format.AvgTimePerFrame = avgTimePerFrame;
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = height;
        format.bmiHeader.biBitCount = 24;
        ASSERT_TRUE(encoder.SetupVideo(format));
    }

    // Delivers source frames first..last, each filled with its own number.
    void Deliver(uint32_t first, uint32_t last) {
        for (uint32_t n = first; n <= last; ++n) {
            std::vector<uint8_t> frame(SourceFrameBytes(encoder.Plan()), uint8_t(n));
            encoder.EncodeFrame(frame.data(), int32_t(frame.size()));
        }
        encoder.WaitForCompression();
    }

    std::vector<uint8_t> KeptFirstBytes() const {
        std::vector<uint8_t> bytes;
        for (const FakeCall& call : script.calls) bytes.push_back(call.firstByte);
        return bytes;
    }

    ScratchFolder scratch;
    std::filesystem::path path = scratch.Path() / "stream";
    RecordingNotifyReceiver receiver;
    FakeCompressorScript script;
    ScopedFakeCompressor fake{script};
    MovieEncoder encoder;
};

TEST_F(EncoderLifecycle, HeaderOnlyStreamForARunWithoutFrames) {
    Plan(666666, 0, 240, 160);
    ASSERT_TRUE(encoder.BeginStream(100));
    ASSERT_TRUE(encoder.FinishStream());
    const std::vector<uint8_t> expected = {0x00, 0x00, 0x00, 0x00, 0x4A, 0x40, 0x00, 0x00, 0xF0, 0x00, 0xA0, 0x00};
    EXPECT_EQ(ReadFile(path), expected);
    EXPECT_TRUE(receiver.StatusTexts().empty()) << "no sound stages without frames";
    EXPECT_EQ(script.messages, (std::vector<long>{1, 2, 3}));
}

TEST_F(EncoderLifecycle, ReductionsKeepTheirFrames) {
    Plan(333333, 3);  // keep 1 of 2: the odd frames
    ASSERT_TRUE(encoder.BeginStream(11));
    EXPECT_EQ(script.framesInfoCount, 5);
    Deliver(1, 6);
    EXPECT_EQ(KeptFirstBytes(), (std::vector<uint8_t>{1, 3, 5}));
    ASSERT_TRUE(encoder.FinishStream());

    MovieEncoder automatic;
    FakeCompressorScript other;
    script.calls.clear();
    ASSERT_TRUE(automatic.SetOutputFile(path.string()));
    ASSERT_TRUE(automatic.SetParameters({}, false, 8, 8, -1, 0, 120));
    VideoInfoHeader format;
    format.AvgTimePerFrame = 333333;  // 30 fps: automatic keeps the last of every 2
    format.bmiHeader.biWidth = 8;
    format.bmiHeader.biHeight = 8;
    format.bmiHeader.biBitCount = 24;
    ASSERT_TRUE(automatic.SetupVideo(format));
    ASSERT_TRUE(automatic.BeginStream(6));
    EXPECT_EQ(script.framesInfoCount, 3);
    for (uint8_t n = 1; n <= 6; ++n) {
        std::vector<uint8_t> frame(SourceFrameBytes(automatic.Plan()), n);
        automatic.EncodeFrame(frame.data(), int32_t(frame.size()));
    }
    automatic.WaitForCompression();
    EXPECT_EQ(KeptFirstBytes(), (std::vector<uint8_t>{2, 4, 6}));
    EXPECT_EQ(automatic.FramesWritten(), 3u);
    ASSERT_TRUE(automatic.FinishStream());
}

TEST_F(EncoderLifecycle, BudgetFollowsTheCumulativeTargetWithAFloor) {
    Plan(666666, 0);  // 15 fps at 120 KB/s: 8192 bytes a frame, floor 4096
    const std::vector<uint32_t> answers = {9002, 7382, 20002, 4094, 4094};
    script.frameBytes = [&](const FakeCall& call) { return answers[size_t(call.frameNumber)]; };
    ASSERT_TRUE(encoder.BeginStream(5));
    Deliver(1, 5);
    ASSERT_EQ(script.calls.size(), 5u);
    EXPECT_EQ(script.calls[0].desiredBytes, 8192u) << "first budget equals the average";
    EXPECT_EQ(script.calls[1].desiredBytes, 16384u - 9002u);
    EXPECT_EQ(script.calls[2].desiredBytes, 24576u - 16384u);
    EXPECT_EQ(script.calls[3].desiredBytes, 4096u) << "ahead of the target: floor";
    EXPECT_EQ(script.calls[4].desiredBytes, 4096u);
    EXPECT_EQ(encoder.BytesProduced(), 9002u + 7382 + 20002 + 4094 + 4094);
    ASSERT_TRUE(encoder.FinishStream());
}

TEST_F(EncoderLifecycle, DroppedFramesLeaveTheBudgetAlone) {
    Plan(333333, 3);  // 30 fps halved: the output runs at 15 fps, 8192 bytes a frame
    script.frameBytes = [](const FakeCall&) { return 8190u; };
    ASSERT_TRUE(encoder.BeginStream(8));
    Deliver(1, 8);
    ASSERT_EQ(script.calls.size(), 4u);
    // Each kept frame falls 2 bytes short of 8192, and the next budget gives them back.
    const uint32_t expected[] = {8192, 8194, 8196, 8198};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(script.calls[i].desiredBytes, expected[i]);
    EXPECT_EQ(encoder.SourceFrameCount(), 8u);
    ASSERT_TRUE(encoder.FinishStream());
}

TEST_F(EncoderLifecycle, FramesTheChecksRefuseGetNoRecordAndAreNotCounted) {
    Plan(666666, 0);
    script.fault = [](const FakeCall& call) {
        return call.firstByte == 2 ? FakeFault::TwoStrips
               : call.firstByte == 3 ? FakeFault::WrongWidth
               : call.firstByte == 4 ? FakeFault::Refuse
                                     : FakeFault::None;
    };
    ASSERT_TRUE(encoder.BeginStream(5));
    Deliver(1, 5);
    EXPECT_EQ(encoder.FramesWritten(), 2u);
    ASSERT_EQ(script.calls.size(), 5u);
    // Frame numbers count records; after a refused frame the next one starts afresh (intra).
    EXPECT_EQ(script.calls[1].frameNumber, 1);
    EXPECT_EQ(script.calls[4].frameNumber, 1);
    EXPECT_TRUE(script.calls[1].hasPrevious);
    EXPECT_FALSE(script.calls[4].hasPrevious);
    ASSERT_TRUE(encoder.FinishStream());
    const MovieStreamCheck check = ReadMovieStream(ReadFile(path));
    ASSERT_TRUE(check.ok) << check.error;
    EXPECT_EQ(check.info.frameCount, 2u);
    EXPECT_EQ(check.info.records.size(), 2u);
}

TEST_F(EncoderLifecycle, ShortBuffersAreSkipped) {
    Plan(666666, 0);
    ASSERT_TRUE(encoder.BeginStream(3));
    std::vector<uint8_t> frame(SourceFrameBytes(encoder.Plan()) - 1, 7);
    encoder.EncodeFrame(frame.data(), int32_t(frame.size()));
    encoder.EncodeFrame(nullptr, 0);
    EXPECT_TRUE(script.calls.empty());
    EXPECT_EQ(encoder.SourceFrameCount(), 2u);
    ASSERT_TRUE(encoder.FinishStream());
}

TEST_F(EncoderLifecycle, ProgressIsSentOncePerThousandthAndNotWithoutALength) {
    Plan(666666, 0);
    LastProgressSent = -1;
    ASSERT_TRUE(encoder.BeginStream(2));
    Deliver(1, 4);
    std::vector<intptr_t> progress;
    for (const auto& notice : receiver.Notices())
        if (notice.code == NOTIFY_PROGRESS) progress.push_back(notice.value);
    EXPECT_EQ(progress, (std::vector<intptr_t>{500, 1000, 1500, 2000})) << "values above 1000 pass unchanged";
    ASSERT_TRUE(encoder.FinishStream());

    receiver.Clear();
    MovieEncoder unknownLength;
    ASSERT_TRUE(unknownLength.SetOutputFile(path.string()));
    ASSERT_TRUE(unknownLength.SetParameters({}, false, 8, 8, 0, 0, 120));
    VideoInfoHeader format;
    format.AvgTimePerFrame = 666666;
    format.bmiHeader.biWidth = 8;
    format.bmiHeader.biHeight = 8;
    format.bmiHeader.biBitCount = 24;
    ASSERT_TRUE(unknownLength.SetupVideo(format));
    ASSERT_TRUE(unknownLength.BeginStream(0));
    std::vector<uint8_t> frame(SourceFrameBytes(unknownLength.Plan()), 1);
    unknownLength.EncodeFrame(frame.data(), int32_t(frame.size()));
    unknownLength.WaitForCompression();
    EXPECT_TRUE(receiver.Notices().empty());
    EXPECT_EQ(unknownLength.FramesWritten(), 1u);
    ASSERT_TRUE(unknownLength.FinishStream());
}

TEST_F(EncoderLifecycle, FinishedStreamCarriesSoundAndCount) {
    Plan(333333, 0);  // 30 fps: frame step 32917
    ASSERT_TRUE(encoder.BeginStream(10));
    WaveFormatEx mono;
    mono.wFormatTag = WAVE_FORMAT_PCM;
    mono.nChannels = 1;
    mono.nSamplesPerSec = 21024;
    mono.nBlockAlign = 2;
    mono.wBitsPerSample = 16;
    ASSERT_TRUE(encoder.SetAudioFormat(mono));
    const std::vector<int16_t> sound(1001, 1000);
    ASSERT_TRUE(encoder.AppendAudio(reinterpret_cast<const uint8_t*>(sound.data()), uint32_t(sound.size() * 2)));
    Deliver(1, 10);
    ASSERT_TRUE(encoder.FinishStream());
    const MovieStreamCheck check = ReadMovieStream(ReadFile(path));
    ASSERT_TRUE(check.ok) << check.error;
    EXPECT_EQ(check.info.frameCount, 10u);
    EXPECT_EQ(check.info.audioBlockCount, 21u) << "(10 + 1) frames at 30 fps last 21 refreshes";
    EXPECT_EQ(receiver.StatusTexts(), (std::vector<std::string>{"音声のノーマライズ中...", "音声の変換中..."}));
}

TEST_F(EncoderLifecycle, AbortedStreamKeepsCountZeroAndNoSound) {
    Plan(666666, 0);
    script.frameBytes = [](const FakeCall&) { return 38u; };  // records of 20 bytes
    ASSERT_TRUE(encoder.BeginStream(3));
    Deliver(1, 3);
    AbortRequested = true;
    ASSERT_TRUE(encoder.FinishStream());
    const std::vector<uint8_t> bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 12u);
    EXPECT_EQ(bytes[0] | bytes[1] | bytes[2] | bytes[3], 0);
    EXPECT_EQ(bytes.size(), 12u + 3 * 20) << "three records, nothing after them";
    EXPECT_TRUE(receiver.StatusTexts().empty());
}

TEST_F(EncoderLifecycle, BeginFailsWithoutCompressorOrPath) {
    script.locate = false;
    Plan(666666, 0);
    EXPECT_FALSE(encoder.BeginStream(3));
    EXPECT_FALSE(encoder.FinishStream()) << "nothing to end";
    MovieEncoder pathless;
    EXPECT_FALSE(pathless.BeginStream(3));
}

}  // namespace
