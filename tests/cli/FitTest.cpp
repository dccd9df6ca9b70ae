// kavro-cli convert --fit, --start and --end: images that fit their size and fill it, movies
// too long for it refused before any work, and parts of a movie as long as they are.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <nlohmann/json.hpp>

#include "tests/cli/CliRun.h"
#include "tests/source/FixtureMovies.h"

namespace {

using nlohmann::json;

constexpr uint64_t kMiB = 1 << 20;

struct FitMovie {
    int seconds;
    AVRational frameRate;
    int width, height;
    std::vector<std::string> settings;  // what lets the pictures spend the size, or keeps them small
    bool flat = false;  // flat colours and one small moving box instead of grain: easy pictures
};

// Movies whose grain changes every frame, so that the pictures take what they are given: 20 s
// with every frame kept (up to 300 KB/s of pictures), a minute, and five minutes of small
// pictures. Their sound costs 10.5 KB a second: the five minutes need more than 3 MB for it alone.
const FitMovie kFitMovies[] = {
    {20, {25, 1}, 128, 96, {"--frame-rate", "unchanged"}},
    {60, {10, 1}, 64, 48, {}},
    {300, {10, 1}, 64, 48, {"--picture", "manual", "--size", "48x32"}},
};

class Fit : public testing::Test {
protected:
    std::string Movie(const FitMovie& fit) {
        FixtureMovie movie;
        movie.video->codec = AV_CODEC_ID_MPEG4;
        movie.video->frameRate = fit.frameRate;
        movie.video->frameCount = fit.seconds * fit.frameRate.num / fit.frameRate.den;
        movie.video->width = fit.width;
        movie.video->height = fit.height;
        if (fit.flat)
            movie.video->draw = [width = fit.width, height = fit.height](int index, std::span<Rgb> picture) {
                for (int y = 0; y < height; ++y)
                    for (int x = 0; x < width; ++x) {
                        const bool box = std::abs(x - index % width) < 6 && std::abs(y - height / 2) < 6;
                        const bool check = (x / 16 + y / 16) % 2 == 0;
                        picture[size_t(y) * size_t(width) + size_t(x)] =
                            box ? Rgb{250, 250, 40} : check ? Rgb{40, 90, 200} : Rgb{200, 60, 60};
                    }
            };
        movie.audio = FixtureAudio{};
        movie.audio->sampleRate = 22050;
        movie.audio->channelMask = AV_CH_LAYOUT_MONO;
        movie.audio->toneHz = {440.0};
        movie.audio->sampleCount = 22050 * fit.seconds;
        const std::string path = scratch.File(std::to_string(fit.seconds) + "s.avi");
        std::string message;
        EXPECT_EQ(WriteFixtureMovie(path, movie, message), FixtureStatus::Written) << message;
        return path;
    }

    std::vector<std::string> FitArguments(const std::string& movie, const FitMovie& fit, uint64_t size) const {
        std::vector<std::string> arguments{"convert", movie, Output(), "--force", "--json", "--fit", std::to_string(size)};
        arguments.insert(arguments.end(), fit.settings.begin(), fit.settings.end());
        return arguments;
    }

    std::string Output() const { return scratch.File("out.gba"); }

    ScratchFolder scratch;
};

TEST_F(Fit, ImagesFitTheirSizeAndFillIt) {
    for (const FitMovie& fit : kFitMovies) {
        const std::string movie = Movie(fit);
        for (const uint64_t size : {1 * kMiB, 2 * kMiB, 4 * kMiB}) {
            SCOPED_TRACE(testing::Message() << fit.seconds << " s into " << size << " bytes");
            const CliResult result = RunCli(FitArguments(movie, fit, size));
            // The sound of five minutes alone passes 1 and 2 MiB.
            if (fit.seconds == 300 && size < 4 * kMiB) {
                EXPECT_EQ(result.exitCode, 1) << result.err;
                continue;
            }
            ASSERT_EQ(result.exitCode, 0) << result.err;
            const json summary = json::parse(result.out);
            const uint64_t image = std::filesystem::file_size(Output());
            EXPECT_EQ(summary["imageBytes"], image);
            EXPECT_LE(image, size);
            EXPECT_GE(double(image), 0.95 * double(size));
            EXPECT_DOUBLE_EQ(summary["fit"]["fill"].get<double>(), double(image) / double(size));
            std::printf("%3d s into %llu MiB: %.2f KB/s, %.2f %% full, %d pass(es)\n", fit.seconds,
                        static_cast<unsigned long long>(size / kMiB), summary["fit"]["bitrate"].get<double>(),
                        100 * summary["fit"]["fill"].get<double>(), summary["fit"]["passes"].get<int>());
        }
    }
}

// Pictures that need less than the size holds are converted again at higher rates, up to the
// highest, which the image then keeps; the passes share one progress bar that never goes back.
TEST_F(Fit, EasyPicturesTakeTheHighestRate) {
    const FitMovie flat{20, {25, 1}, 128, 96, {}, true};
    const CliResult result = RunCli(FitArguments(Movie(flat), flat, kMiB));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json summary = json::parse(result.out);
    EXPECT_LE(std::filesystem::file_size(Output()), kMiB);
    EXPECT_EQ(summary["fit"]["bitrate"], 500.0);
    EXPECT_GT(summary["fit"]["passes"], 1);
    std::istringstream lines(result.err);
    int shown = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.back() != '%') continue;
        const int percent = std::stoi(line);
        EXPECT_GE(percent, shown) << result.err;
        EXPECT_LE(percent, 100);
        shown = percent;
    }
    EXPECT_GT(shown, 0) << result.err;
    std::printf("flat 20 s into 1 MiB: %.2f %% full, %d passes\n", 100 * summary["fit"]["fill"].get<double>(),
                summary["fit"]["passes"].get<int>());
}

// Refused before any work: no progress, no sound coded, nothing written, an existing output as
// it was; the message tells how much would fit, and `plan` says the same.
// The refusal names the playing time that fits 2 MB: just under three minutes, the player's
// own bytes (which grow with its features) taking a second or so of it.
bool AboutThreeMinutesFit(const std::string& message) {
    const std::string lead = "2 MB に収まるのは ";
    const size_t at = message.find(lead);
    if (at == std::string::npos) return false;
    const std::string time = message.substr(at + lead.size());
    if (time.starts_with("3分")) return true;
    const std::string under = "2分5";
    return time.starts_with(under) && time.size() > under.size() + 1 && std::isdigit(uint8_t(time[under.size()])) &&
           time.substr(under.size() + 1).starts_with("秒");
}

TEST_F(Fit, MovieTooLongIsRefusedAtOnce) {
    const FitMovie& fiveMinutes = kFitMovies[2];
    const std::string movie = Movie(fiveMinutes);
    for (const bool existing : {false, true}) {
        if (existing) std::ofstream(Output()) << "keep";
        const CliResult result = RunCli(FitArguments(movie, fiveMinutes, 2 * kMiB));
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(AboutThreeMinutesFit(result.err)) << result.err;
        EXPECT_EQ(result.err.find('%'), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("音声の変換中"), std::string::npos) << result.err;
        EXPECT_EQ(std::filesystem::exists(Output()), existing);
        if (existing) {
            EXPECT_EQ(std::filesystem::file_size(Output()), 4u);
        }
        for (const auto& entry : std::filesystem::directory_iterator(scratch.Path()))
            EXPECT_EQ(entry.path().filename().string().find(".KAVRO"), std::string::npos) << entry.path();
    }
    std::vector<std::string> plan{"plan", movie, "--fit", "2M"};
    plan.insert(plan.end(), fiveMinutes.settings.begin(), fiveMinutes.settings.end());
    const CliResult planned = RunCli(plan);
    EXPECT_EQ(planned.exitCode, 1);
    EXPECT_TRUE(AboutThreeMinutesFit(planned.out)) << planned.out;
}

}  // namespace
