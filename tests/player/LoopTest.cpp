// The movie loops: after its last frame, and at any change of the keys, a new pass starts
// from the first frame with the sound from its first block.
#include <gtest/gtest.h>

#include "audio/AdpcmDecoder.h"
#include "audio/AdpcmEncoder.h"
#include "preview/PlayerProbe.h"
#include "tests/player/CinepakOracle.h"
#include "tests/player/PlayerRun.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

using player_layout::kNoRecord;

class PlayerLoop : public ::testing::Test {
protected:
    void SetUp() override {
        movie_.frameStep = 16458;  // a pass of about 20 refreshes
        movie_.width = 120;
        movie_.height = 80;
        movie_.records = MakeHandMadeRecords(movie_.width, movie_.height, 11);
        movie_.adpcm = ToneAdpcm(40);
        CinepakOracle oracle(movie_.width, movie_.height);
        firstScreen_ = ExpectedScreen(oracle.Decode(movie_.records[0]), movie_.width, movie_.height);
        const std::vector<int8_t> samples = DecodeAdpcmBlock(movie_.adpcm);
        firstBlock_.assign(samples.begin(), samples.begin() + kAdpcmBlockSamples);
        run_ = std::make_unique<PlayerRun>(CartridgeImage(WriteMovieStream(movie_)));
        ASSERT_TRUE(run_->Started());
        ASSERT_TRUE(run_->RunUntilPass(1));
    }

    // Runs the pass that has just begun until its first frame is on the screen, checking the
    // first refresh's sound and the first frame's picture.
    void ExpectFreshStart(uint32_t pass) {
        ASSERT_EQ(run_->status().passCount, pass);
        EXPECT_EQ(run_->status().shownRecord, kNoRecord);
        EXPECT_EQ(run_->status().audioBlocksLeft, 40u);
        run_->Refresh();
        ASSERT_EQ(run_->status().audioBlocksLeft, 39u);
        const auto buffer = ReadSoundBuffer(run_->core(), run_->status().fillingBuffer);
        EXPECT_EQ(std::vector<int8_t>(buffer.begin(), buffer.end()), firstBlock_) << "pass " << pass;
        ASSERT_TRUE(run_->RunUntil([](const auto& status) { return status.shownRecord != kNoRecord; }, 8));
        ASSERT_EQ(run_->status().passCount, pass);
        ASSERT_EQ(run_->status().shownRecord, 0u);
        EXPECT_EQ(ScreenDifference(run_->core().ScreenBgr555(), firstScreen_), "") << "pass " << pass;
    }

    TestMovie movie_;
    std::vector<uint16_t> firstScreen_;
    std::vector<int8_t> firstBlock_;
    std::unique_ptr<PlayerRun> run_;
};

TEST_F(PlayerLoop, AfterTheLastFrameThePassRestartsAtTheFirstFrameWithFreshSound) {
    uint32_t lastShown = kNoRecord;
    while (run_->status().passCount == 1 && run_->core().RefreshCount() < 200) {
        if (run_->status().shownRecord != kNoRecord) lastShown = run_->status().shownRecord;
        run_->Refresh();
    }
    EXPECT_EQ(lastShown, movie_.records.size() - 1) << "the pass ended before its last frame";
    ExpectFreshStart(2);
    ASSERT_TRUE(run_->RunUntilPass(3));
    ExpectFreshStart(3);
}

TEST_F(PlayerLoop, PressingOrReleasingAKeyRestartsThePass) {
    ASSERT_TRUE(run_->RunUntil([](const auto& status) { return status.shownRecord != kNoRecord && status.shownRecord >= 1; },
                               40));
    ASSERT_EQ(run_->status().passCount, 1u);

    run_->core().PressKeys(kKeyA);
    ASSERT_TRUE(run_->RunUntilPass(2, 2)) << "a key press did not end the pass";
    EXPECT_EQ(run_->status().refreshCount, 0u);
    ExpectFreshStart(2);

    // Holding the key changes nothing: the pass plays on.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(run_->Refresh().passCount, 2u);

    run_->core().ReleaseKeys(kKeyA);
    ASSERT_TRUE(run_->RunUntilPass(3, 2)) << "releasing the key did not end the pass";
    ExpectFreshStart(3);
    EXPECT_FALSE(run_->core().Crashed());
}

}  // namespace
