// The player finds the stream right behind its own last byte (its header's checks are the
// resources suite's).
#include <gtest/gtest.h>

#include "tests/player/CinepakOracle.h"
#include "tests/player/PlayerRun.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

using player_layout::kNoRecord;

TestMovie SmallMovie() {
    TestMovie movie;
    movie.width = 120;
    movie.height = 80;
    movie.records = MakeHandMadeRecords(movie.width, movie.height, 5);
    movie.adpcm = ToneAdpcm(8);
    return movie;
}

TEST(PlayerHeader, TheStreamIsReadRightBehindThePlayer) {
    const TestMovie movie = SmallMovie();
    const std::vector<uint8_t> stream = WriteMovieStream(movie);
    CinepakOracle oracle(movie.width, movie.height);
    const std::vector<uint16_t> first = ExpectedScreen(oracle.Decode(movie.records[0]), movie.width, movie.height);

    PlayerRun exact(CartridgeImage(stream));
    ASSERT_TRUE(exact.Started());
    ASSERT_TRUE(exact.RunUntilPass(1));
    ASSERT_TRUE(exact.RunUntil([](const auto& status) { return status.shownRecord != kNoRecord; }, 100));
    ASSERT_EQ(exact.status().shownRecord, 0u);
    EXPECT_EQ(ScreenDifference(exact.core().ScreenBgr555(), first), "");

    // One word between player and stream: the player must not find the stream there, so it
    // reads a frame count of 0 and shows nothing.
    std::vector<uint8_t> shifted(4, 0);
    shifted.insert(shifted.end(), stream.begin(), stream.end());
    PlayerRun gap(CartridgeImage(shifted));
    ASSERT_TRUE(gap.Started());
    ASSERT_TRUE(gap.RunUntilPass(1));
    for (int i = 0; i < 60; ++i) EXPECT_EQ(gap.Refresh().shownRecord, kNoRecord);
    EXPECT_FALSE(gap.core().Crashed());
}

TEST(PlayerHeader, AStreamWithoutFramesShowsBlackAndPlaysNothing) {
    TestMovie movie = SmallMovie();
    movie.records.clear();
    const std::vector<uint8_t> stream = WriteMovieStream(movie);
    ASSERT_EQ(stream.size(), 12u);
    PlayerRun run(CartridgeImage(stream));
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.RunUntilPass(1));
    run.core().RunRefreshes(60);
    const player_layout::PlayerStatus status = run.Refresh();
    EXPECT_EQ(status.shownRecord, kNoRecord);
    EXPECT_EQ(status.audioBlocksLeft, 0u);
    EXPECT_EQ(run.core().Read16(0x04000102) & 0x80, 0) << "timer 0 runs";
    const std::vector<uint16_t> screen = run.core().ScreenBgr555();
    EXPECT_TRUE(std::all_of(screen.begin(), screen.end(), [](uint16_t pixel) { return pixel == 0; }))
        << "the screen is not black";
    EXPECT_FALSE(run.core().Crashed());
}

}  // namespace
