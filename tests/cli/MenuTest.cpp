// kavro-cli convert with several movies: a menu image whose catalogue holds each movie's stream
// exactly as a one-movie conversion makes it, titles from --title and a playlist, --fit shared
// among the movies; one movie stays today's image whichever way it is named.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "format/MenuCatalogue.h"
#include "format/PlayerOptions.h"
#include "tests/cli/CliRun.h"
#include "tests/source/FixtureMovies.h"

namespace {

using nlohmann::json;

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

template <typename T>
T At(const std::vector<uint8_t>& bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

class Menu : public testing::Test {
protected:
    // `seconds` of grain at 128 x 96, 25 frames a second, with a tone; `shade` tells movies apart.
    std::string Movie(const std::string& name, int seconds, int shade) {
        FixtureMovie movie;
        movie.video->codec = AV_CODEC_ID_MPEG4;
        movie.video->frameCount = seconds * 25;
        movie.video->draw = [shade](int index, std::span<Rgb> picture) {
            for (size_t at = 0; at < picture.size(); ++at) {
                const auto grain = uint8_t((at * 2654435761u + size_t(index) * 40503u) >> 13);
                picture[at] = Rgb{uint8_t(grain / 2 + shade), uint8_t(grain / 3), uint8_t(255 - shade)};
            }
        };
        movie.audio = FixtureAudio{};
        movie.audio->sampleRate = 22050;
        movie.audio->channelMask = AV_CH_LAYOUT_MONO;
        movie.audio->toneHz = {440.0};
        movie.audio->sampleCount = 22050 * seconds;
        const std::string path = scratch.File(name);
        std::string message;
        EXPECT_EQ(WriteFixtureMovie(path, movie, message), FixtureStatus::Written) << message;
        return path;
    }

    // The movie stream of a one-movie conversion: the image behind the player.
    std::vector<uint8_t> OneMovieStream(const std::string& movie, const std::vector<std::string>& settings) {
        std::vector<std::string> arguments{"convert", movie, scratch.File("one.gba"), "--force"};
        arguments.insert(arguments.end(), settings.begin(), settings.end());
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        const std::vector<uint8_t> image = Bytes(scratch.File("one.gba"));
        return {image.begin() + ptrdiff_t(PlayerBytes(image)), image.end()};
    }

    // The player's size, where a one-movie image's stream starts: behind the catalogue's pages
    // in a menu image, the catalogue's own offset.
    static size_t PlayerBytes(const std::vector<uint8_t>& image) {
        const player_options::PlayerOptions options = player_options::Get(image.data());
        return player_options::IsMenu(options) ? options.layoutData[0] : onePlayerBytes;
    }

    static inline size_t onePlayerBytes = 0;
    ScratchFolder scratch;
};

TEST_F(Menu, ThreeMoviesHoldEachStreamAsOneMovieConversionMakesIt) {
    const std::string a = Movie("a.avi", 2, 0), b = Movie("b.avi", 2, 80), c = Movie("c.avi", 3, 160);
    {
        std::ofstream playlist(scratch.File("list.txt"));
        playlist << "# the third movie\n\nc.avi\tDritte Folge\t0:00:01.500\n";
    }
    const std::string output = scratch.File("menu.gba");
    const CliResult result = RunCli({"convert", a, b, "-o", output, "--title", "第一話 はじまり", "--playlist",
                                     scratch.File("list.txt"), "--json", "--rom-name", "SEASON"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json summary = json::parse(result.out);
    EXPECT_TRUE(summary["catalogueOk"].get<bool>());
    const std::vector<uint8_t> image = Bytes(output);
    EXPECT_EQ(summary["imageBytes"], image.size());

    const player_options::PlayerOptions options = player_options::Get(image.data());
    ASSERT_TRUE(player_options::IsMenu(options));
    EXPECT_EQ(options.layoutData[1], 3u);
    const size_t catalogue = options.layoutData[0];
    const auto header = At<menu_catalogue::Header>(image, catalogue);
    ASSERT_TRUE(menu_catalogue::HasMagic(header));
    ASSERT_EQ(header.movieCount, 3);
    EXPECT_EQ(header.pageCount, 1);
    EXPECT_EQ(header.firstPageOffset % 4, 0u);
    const char* titles[] = {"第一話 はじまり", "b", "Dritte Folge"};
    const uint32_t thumbnailsMs[] = {200, 200, 1500};  // 10 % of 2 s, and the playlist's time
    const std::string movies[] = {a, b, c};
    size_t expected = header.firstPageOffset + menu_catalogue::kPageBytes;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const auto entry = At<menu_catalogue::Entry>(image, catalogue + sizeof header + size_t(i) * sizeof(menu_catalogue::Entry));
        EXPECT_STREQ(reinterpret_cast<const char*>(entry.title), titles[i]);
        EXPECT_EQ(entry.thumbnailMs, thumbnailsMs[i]);
        EXPECT_EQ(entry.page, 0);
        EXPECT_TRUE(menu_catalogue::FrameFits(entry.highlight));
        EXPECT_EQ(entry.streamOffset, expected);
        EXPECT_EQ(entry.streamOffset % menu_catalogue::kAlignment, 0u);
        const std::vector<uint8_t> stream(image.begin() + entry.streamOffset,
                                          image.begin() + entry.streamOffset + entry.streamBytes);
        if (onePlayerBytes == 0) onePlayerBytes = catalogue;
        EXPECT_EQ(stream, OneMovieStream(movies[i], {"--rom-name", "SEASON"}));
        expected += entry.streamBytes;
    }
    EXPECT_EQ(expected, image.size());
    // The header is the one-movie image's: the same title and complement.
    const std::vector<uint8_t> one = Bytes(scratch.File("one.gba"));
    EXPECT_TRUE(std::equal(one.begin(), one.begin() + player_options::kOffset, image.begin()));

    const CliResult inspect = RunCli({"inspect", output, "--json"});
    EXPECT_EQ(inspect.exitCode, 0) << inspect.out << inspect.err;
}

TEST_F(Menu, OneMovieIsTodaysImageAndMistakesAreUsageErrors) {
    const std::string a = Movie("a.avi", 1, 0);
    ASSERT_EQ(RunCli({"convert", a, scratch.File("today.gba")}).exitCode, 0);
    ASSERT_EQ(RunCli({"convert", a, "-o", scratch.File("named.gba")}).exitCode, 0);
    EXPECT_EQ(Bytes(scratch.File("today.gba")), Bytes(scratch.File("named.gba")));
    EXPECT_FALSE(player_options::IsMenu(player_options::Get(Bytes(scratch.File("today.gba")).data())));

    EXPECT_EQ(RunCli({"convert", a, a, a}).exitCode, 2);                          // no -o for three operands
    EXPECT_EQ(RunCli({"convert", a, a, "-o", a}).exitCode, 2);                    // over a movie
    EXPECT_EQ(RunCli({"convert", a, "-o", scratch.File("x.gba"), "--title", "1", "--title", "2"}).exitCode, 2);
    const CliResult missing = RunCli({"convert", a, scratch.File("none.avi"), "-o", scratch.File("x.gba")});
    EXPECT_EQ(missing.exitCode, 2) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(scratch.File("x.gba")));
}

// The size is shared by playing time: the whole image fits 8 MiB and fills 95 % of it.
TEST_F(Menu, FitSharesTheSizeAmongTheMovies) {
    const std::string a = Movie("a.avi", 8, 0), b = Movie("b.avi", 12, 80), c = Movie("c.avi", 16, 160);
    const std::string output = scratch.File("fit.gba");
    const CliResult result =
        RunCli({"convert", a, b, c, "-o", output, "--fit", "8M", "--frame-rate", "unchanged", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json summary = json::parse(result.out);
    const uint64_t bytes = std::filesystem::file_size(output);
    EXPECT_LE(bytes, 8u << 20);
    EXPECT_GE(double(bytes), 0.95 * double(8u << 20));
    EXPECT_TRUE(summary["catalogueOk"].get<bool>());
    std::printf("three movies (8, 12, 16 s) into 8 MiB: %.2f %% full, %d passes\n",
                100 * summary["fit"]["fill"].get<double>(), summary["fit"]["passes"].get<int>());
}

}  // namespace
