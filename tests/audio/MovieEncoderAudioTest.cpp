// MovieEncoder's sound steps: the status texts reach NotifyWindow before each stage runs.
#include <gtest/gtest.h>

#include <memory>

#include "platform/RecordingNotifyReceiver.h"
#include "tests/audio/PcmFixtures.h"
#include "video/MovieEncoder.h"

namespace {

// Records, with every notice, the samples the encoder holds at that moment.
class SnapshotReceiver : public RecordingNotifyReceiver {
public:
    explicit SnapshotReceiver(const MovieEncoder& encoder) : encoder(encoder) {}
    void Send(uint32_t code, intptr_t value) override {
        snapshots.push_back(encoder.CollectedSamples());
        RecordingNotifyReceiver::Send(code, value);
    }
    std::vector<std::vector<int16_t>> snapshots;

private:
    const MovieEncoder& encoder;
};

class MovieEncoderAudio : public ::testing::Test {
protected:
    void SetUp() override {
        // 30 frames per second: frameStep 32917.
        ASSERT_TRUE(encoder.SetParameters({}, false, -1, -1, 0, 3, 120));
        encoder.SetProbedRate(30, 1);
        VideoInfoHeader video;
        video.bmiHeader.biWidth = 240;
        video.bmiHeader.biHeight = 160;
        video.bmiHeader.biBitCount = 24;
        video.bmiHeader.biSizeImage = 240 * 160 * 3;
        ASSERT_TRUE(encoder.SetupVideo(video));
        NotifyWindow = &receiver;
    }
    void TearDown() override { NotifyWindow = nullptr; }

    MovieEncoder encoder;
    SnapshotReceiver receiver{encoder};
};

TEST_F(MovieEncoderAudio, NormalizingSendsItsStatusEvenWithoutSound) {
    encoder.NormalizeAudio(100);
    const auto notices = receiver.Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].code, NOTIFY_STATUS);
    EXPECT_TRUE(notices[0].sent);
    EXPECT_EQ(notices[0].text, "音声のノーマライズ中...");
}

TEST_F(MovieEncoderAudio, StatusPrecedesEachStage) {
    ASSERT_TRUE(encoder.SetAudioFormat(PcmFormat(21024, 1, 16)));
    std::vector<int16_t> quiet(1001, 100);
    EXPECT_TRUE(encoder.AppendAudio(Pcm16(quiet).data(), 2002));
    ASSERT_EQ(encoder.CollectedSamples().size(), 1000u);

    encoder.NormalizeAudio(100);
    EXPECT_EQ(encoder.CollectedSamples(), std::vector<int16_t>(1000, 32767));
    const AudioBlock block = encoder.EncodeAudioBlock();
    EXPECT_EQ(block.AudioBlockCount, 3u) << "1000 samples outlast one movie frame";
    EXPECT_EQ(block.payload.size(), 528u);

    EXPECT_EQ(receiver.StatusTexts(), (std::vector<std::string>{"音声のノーマライズ中...", "音声の変換中..."}));
    ASSERT_EQ(receiver.snapshots.size(), 2u);
    EXPECT_EQ(receiver.snapshots[0], std::vector<int16_t>(1000, 100)) << "the status is sent before the samples change";
    for (const auto& notice : receiver.Notices()) EXPECT_TRUE(notice.sent);
}

TEST_F(MovieEncoderAudio, AppendAudioAlwaysSucceeds) {
    ASSERT_FALSE(encoder.SetAudioFormat(PcmFormat(0, 1, 16)));
    const uint8_t byte = 0;
    EXPECT_TRUE(encoder.AppendAudio(&byte, 1));
    EXPECT_TRUE(encoder.CollectedSamples().empty());
}

}  // namespace
