// A menu image with three movies on the handheld: the menu shows the page drawn on the host with
// the first movie framed; down and A play movie 2, whose pictures are FFmpeg's decode of its
// records to the last bit; at its end the menu comes back with movie 3 framed. B returns early.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "format/MenuCatalogue.h"
#include "job/MenuConversion.h"
#include "menu/GuiHost.h"
#include "menu/MenuPages.h"
#include "tests/player/CinepakOracle.h"
#include "tests/player/OurCinepakRecords.h"
#include "tests/player/PlayerRun.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr uint32_t kRecords = 6;

TestMovie Movie(int first) {
    std::vector<std::vector<uint8_t>> pictures;
    for (uint32_t i = 0; i < kRecords; ++i) pictures.push_back(MovingPicture(kWidth, kHeight, first + int(i)));
    TestMovie movie;
    movie.frameStep = 16458;  // 15 frames a second
    movie.width = kWidth;
    movie.height = kHeight;
    movie.records = EncodeWithOurCinepak(pictures, kWidth, kHeight, uint32_t(kWidth * kHeight));
    movie.adpcm = ToneAdpcm(kRecords * 4 + 8);
    return movie;
}

struct MenuImage {
    std::vector<uint8_t> bytes;
    MenuRequest request;
    std::vector<TestMovie> movies;
};

// Assembled as a menu conversion assembles it, with the pages drawn by the host's own code;
// `base` gives the modes.
MenuImage MakeMenuImage(const player_options::PlayerOptions& base = player_options::Off()) {
    MenuImage image;
    const GuiHost gui;
    std::vector<MenuItem> items;
    for (const char* title : {"第一話 はじまり", "Episode 2", "第三話"}) items.push_back({title, std::nullopt});
    const MenuPages pages = DrawMenuPages(items);
    std::vector<std::vector<uint8_t>> streams;
    std::vector<uint64_t> sizes;
    for (int i = 0; i < 3; ++i) {
        image.movies.push_back(Movie(i * 10));
        streams.push_back(WriteMovieStream(image.movies.back()));
        sizes.push_back(streams.back().size());
        image.request.movies.push_back({"", items[size_t(i)].title, 0, pages.places[size_t(i)].page,
                                        pages.places[size_t(i)].highlight});
    }
    image.request.pageCount = pages.pageCount;
    image.request.pages = pages.pixels;
    std::vector<uint8_t> behind = MenuBody(image.request, PlayerRom().size(), sizes);
    for (const auto& stream : streams) behind.insert(behind.end(), stream.begin(), stream.end());
    image.bytes = CartridgeImage(behind, player_options::ForMenu(base, uint32_t(PlayerRom().size()), 3));
    return image;
}

// The page of movie `framed` as the host drew it, with its highlight as the player draws it.
std::vector<uint16_t> MenuScreen(const MenuImage& image, size_t framed) {
    const MenuMovie& movie = image.request.movies[framed];
    std::vector<uint16_t> screen(menu_catalogue::kPageBytes / 2);
    std::memcpy(screen.data(), image.request.pages.data() + size_t(movie.page) * menu_catalogue::kPageBytes,
                menu_catalogue::kPageBytes);
    const menu_catalogue::Frame& f = movie.highlight;
    for (uint32_t y = f.y; y < uint32_t(f.y + f.height); ++y)
        for (uint32_t x = f.x; x < uint32_t(f.x + f.width); ++x)
            if (y < f.y + menu_catalogue::kHighlightLine || y >= f.y + f.height - menu_catalogue::kHighlightLine ||
                x < f.x + menu_catalogue::kHighlightLine || x >= f.x + f.width - menu_catalogue::kHighlightLine)
                screen[y * menu_catalogue::kPageWidth + x] = menu_catalogue::kHighlightColour;
    return screen;
}

int Peak(const std::vector<int16_t>& sound) {
    int peak = 0;
    for (const int16_t sample : sound) peak = std::max(peak, std::abs(int(sample)));
    return peak;
}

void Press(PlayerRun& run, uint32_t key) {
    run.core().PressKeys(key);
    run.core().RunRefreshes(2);
    run.core().ReleaseKeys(key);
    run.core().RunRefreshes(2);
}

bool ShowsMenu(PlayerRun& run, const MenuImage& image, size_t framed) {
    return run.RunUntil([&](const auto&) { return run.core().ScreenBgr555() == MenuScreen(image, framed); }, 120);
}

TEST(Menu, DownAndAPlayMovieTwoExactlyAndItsEndFramesMovieThree) {
    const MenuImage image = MakeMenuImage();
    PlayerRun run(image.bytes);
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(ShowsMenu(run, image, 0)) << ScreenDifference(run.core().ScreenBgr555(), MenuScreen(image, 0));
    EXPECT_EQ(run.status().passCount, 0u);

    run.core().TakeSound();
    run.core().RunRefreshes(10);
    EXPECT_LT(Peak(run.core().TakeSound()), 64) << "the menu is silent";

    Press(run, kKeyDown);
    ASSERT_TRUE(ShowsMenu(run, image, 1)) << ScreenDifference(run.core().ScreenBgr555(), MenuScreen(image, 1));
    Press(run, kKeyA);
    ASSERT_TRUE(run.RunUntilPass(1, 60));

    // Every record of movie 2 reaches the screen as FFmpeg decodes it.
    const TestMovie& movie = image.movies[1];
    CinepakOracle oracle(kWidth, kHeight);
    std::vector<std::vector<uint16_t>> expected;
    for (const FrameRecord& record : movie.records) expected.push_back(ExpectedScreen(oracle.Decode(record), kWidth, kHeight));
    std::vector<bool> seen(kRecords, false);
    const bool back = run.RunUntil(
        [&](const player_layout::PlayerStatus& status) {
            const uint32_t shown = status.shownRecord;
            if (shown < kRecords && !seen[shown]) {
                seen[shown] = true;
                EXPECT_EQ(ScreenDifference(run.core().ScreenBgr555(), expected[shown]), "") << "record " << shown;
            }
            return seen.back() && run.core().ScreenBgr555() == MenuScreen(image, 2);
        },
        200);
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool s) { return s; }));
    EXPECT_GT(Peak(run.core().TakeSound()), 1000) << "the movie's tone plays";
    EXPECT_TRUE(back) << ScreenDifference(run.core().ScreenBgr555(), MenuScreen(image, 2));
    EXPECT_EQ(run.status().passCount, 1u) << "the movie ran once, without looping";

    // Movie 3 plays on A; B brings the menu back at once, with movie 1 (the next) framed.
    Press(run, kKeyA);
    ASSERT_TRUE(run.RunUntilPass(2, 60));
    ASSERT_TRUE(run.RunUntil([](const auto& status) { return status.shownRecord == 1; }, 60));
    Press(run, kKeyB);
    EXPECT_TRUE(ShowsMenu(run, image, 0)) << ScreenDifference(run.core().ScreenBgr555(), MenuScreen(image, 0));
    EXPECT_LT(run.status().shownRecord, kRecords - 1) << "B came before the movie's end";
    EXPECT_FALSE(run.core().Crashed());
}

// With controls, A pauses the movie instead of leaving it, and SELECT (not B) returns.
TEST(Menu, WithControlsSelectReturnsAndAPauses) {
    const MenuImage image = MakeMenuImage(player_options::WithControls(120));
    PlayerRun run(image.bytes);
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(ShowsMenu(run, image, 0));
    Press(run, kKeyA);
    ASSERT_TRUE(run.RunUntilPass(1, 60));
    ASSERT_TRUE(run.RunUntil([](const auto& status) { return status.shownRecord == 1; }, 60));
    Press(run, kKeyA);
    EXPECT_TRUE(run.RunUntil([](const auto& status) { return status.paused == 1; }, 30));
    Press(run, kKeyB);
    run.core().RunRefreshes(10);
    EXPECT_NE(run.core().ScreenBgr555(), MenuScreen(image, 1)) << "B leaves a movie with controls alone";
    Press(run, kKeySelect);
    EXPECT_TRUE(ShowsMenu(run, image, 1)) << ScreenDifference(run.core().ScreenBgr555(), MenuScreen(image, 1));
    EXPECT_EQ(run.status().passCount, 1u);
    EXPECT_FALSE(run.core().Crashed());
}

}  // namespace
