// The movie loops: after its last frame, and at any change of the keys, a new pass starts
// from the first frame with the sound from its first block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

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
        for (const FrameRecord& record : movie_.records)
            screens_.push_back(ExpectedScreen(oracle.Decode(record), movie_.width, movie_.height));
        firstScreen_ = screens_.front();
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

    // Refreshes until the screen shows `record`; false if it does not within `limit`.
    bool RunUntilScreenShows(size_t record, uint32_t limit, uint32_t& refreshes) {
        for (refreshes = 1; refreshes <= limit; ++refreshes) {
            run_->Refresh();
            if (run_->core().ScreenBgr555() == screens_[record]) return true;
        }
        return false;
    }

    TestMovie movie_;
    std::vector<std::vector<uint16_t>> screens_;  // the oracle's picture of each record
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

// Frame step 16458 and 5 records: record 4 is due at refresh ceil(5 x 65536 / 16458) = 20
// (5 x 65536 = 327680; 19 x 16458 = 312702 falls short, 20 x 16458 = 329160 does not), and a
// sixth record would be due at ceil(6 x 65536 / 16458) = 24 (393216; 23 x 16458 = 378534,
// 24 x 16458 = 394992). So the last record is seen for refreshes 20..23 and record 0 of the
// next pass replaces it at refresh 24.
TEST_F(PlayerLoop, TheLastFrameStaysForItsWholeTimeAndTheNextPassesFirstFrameFollowsAtOnce) {
    ASSERT_EQ(movie_.records.size(), 5u);
    const size_t last = movie_.records.size() - 1;
    std::vector<size_t> shown;  // per refresh of the run from pass 1's start: the record on the screen, or none
    for (int refresh = 1; refresh <= 30; ++refresh) {
        run_->Refresh();
        const std::vector<uint16_t> screen = run_->core().ScreenBgr555();
        const auto match = std::find(screens_.begin(), screens_.end(), screen);
        shown.push_back(match == screens_.end() ? kNoRecord : size_t(match - screens_.begin()));
    }
    const size_t firstLast = size_t(std::find(shown.begin(), shown.end(), last) - shown.begin()) + 1;
    const size_t afterLast = size_t(std::find(shown.begin() + ptrdiff_t(firstLast), shown.end(), 0) - shown.begin()) + 1;
    std::printf("last record seen from refresh %zu, the next pass's record 0 from refresh %zu\n", firstLast, afterLast);
    EXPECT_EQ(firstLast, 20u);
    EXPECT_EQ(afterLast, 24u);
    for (size_t refresh = firstLast; refresh < afterLast; ++refresh)
        EXPECT_EQ(shown[refresh - 1], last) << "refresh " << refresh << " between the passes shows something else";
    EXPECT_EQ(run_->status().passCount, 2u);
}

// The v-blank after a key press sees the keys; the refresh after it already shows record 0.
TEST_F(PlayerLoop, AKeyPressShowsTheFirstFrameWithinTwoRefreshes) {
    ASSERT_TRUE(run_->RunUntil([](const auto& status) { return status.shownRecord != kNoRecord && status.shownRecord >= 3; },
                               40));
    uint32_t refreshes = 0;
    run_->core().PressKeys(kKeyA);
    ASSERT_TRUE(RunUntilScreenShows(0, 10, refreshes));
    std::printf("record 0 seen %u refreshes after the key press\n", refreshes);
    EXPECT_LE(refreshes, 2u);
    ASSERT_TRUE(run_->RunUntil([](const auto& status) { return status.shownRecord >= 3; }, 40));
    run_->core().ReleaseKeys(kKeyA);
    ASSERT_TRUE(RunUntilScreenShows(0, 10, refreshes));
    std::printf("record 0 seen %u refreshes after the key release\n", refreshes);
    EXPECT_LE(refreshes, 2u);
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
