// The player shows frame records at the pace of its 16.16 frame step: after r refreshes of a
// pass, floor(r x frameStep / 65536) records have been shown.
#include <gtest/gtest.h>

#include "tests/player/PlayerRun.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

using player_layout::kNoRecord;

// floor(refreshes x frameStep / 65536) worked out by hand for the first refreshes of each pace.
struct Pace {
    uint32_t frameStep;
    std::vector<uint32_t> shownAfterRefresh;  // index r - 1 holds the count after refresh r
};

class PlayerPacing : public ::testing::TestWithParam<Pace> {};

TEST_P(PlayerPacing, ShownFramesFollowTheFrameStep) {
    const Pace& pace = GetParam();
    TestMovie movie;
    movie.frameStep = pace.frameStep;
    movie.width = 120;
    movie.height = 80;
    movie.records = MakeHandMadeRecords(movie.width, movie.height, 7);
    while (movie.records.size() < 24) movie.records.push_back(movie.records[movie.records.size() % 5]);
    movie.adpcm = ToneAdpcm(40);
    PlayerRun run(CartridgeImage(WriteMovieStream(movie)));
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.RunUntilPass(1));
    ASSERT_EQ(run.status().refreshCount, 0u);

    for (uint32_t refresh = 1; refresh <= pace.shownAfterRefresh.size(); ++refresh) {
        const player_layout::PlayerStatus status = run.Refresh();
        ASSERT_EQ(status.passCount, 1u);
        // A core refresh is one v-blank of the player: none is missed, none counted twice.
        ASSERT_EQ(status.refreshCount, refresh);
        const uint32_t shown = pace.shownAfterRefresh[refresh - 1];
        EXPECT_EQ(status.framesDue, shown) << "after refresh " << refresh;
        EXPECT_EQ(status.shownRecord, shown == 0 ? kNoRecord : shown - 1) << "after refresh " << refresh;
        EXPECT_EQ(status.lateFrames, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FrameSteps, PlayerPacing,
    ::testing::Values(
        // 10 fps: 10972 x r crosses 65536 at r = 6, 12, 18 (65832, 131664, 197496) and 24 (263328 > 262144)
        Pace{10972, {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 4}},
        // 15 fps: crossings at r = 4 (65832), 8, 12, 16, then 20 (329160 >= 327680)
        Pace{16458, {0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5}},
        // 30 fps: every second refresh, since 2k x 32917 = k x 65834 >= k x 65536 while one refresh
        // earlier falls short for k < 110
        Pace{32917, {0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12}},
        Pace{65536, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}}),
    [](const ::testing::TestParamInfo<Pace>& info) { return "Step" + std::to_string(info.param.frameStep); });

}  // namespace
