// kavro-cli plan: what it says a conversion will make is what the conversion then writes, in
// every container, and its size is the budget's.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "resources/Resources.h"
#include "tests/cli/CliRun.h"
#include "tests/source/FixtureMovies.h"
#include "video/MovieStreamReader.h"

namespace {

using nlohmann::json;

struct Container {
    const char* name;  // FFmpeg's muxer
    const char* extension;
    AVCodecID video;
    AVCodecID audio;
};

constexpr Container kContainers[] = {
    {"avi", "avi", AV_CODEC_ID_MJPEG, AV_CODEC_ID_PCM_S16LE},
    {"mpeg", "mpg", AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MP2},
    {"mp4", "mp4", AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC},
    {"matroska", "mkv", AV_CODEC_ID_MPEG4, AV_CODEC_ID_MP2},
};

class Plan : public testing::Test {
protected:
    // Three seconds at 25 fps of the fixture's pictures, whose grain changes every frame, and a tone.
    std::string Movie(const Container& container, int frames = 75) {
        FixtureMovie movie;
        movie.container = container.name;
        movie.video->codec = container.video;
        movie.video->frameCount = frames;
        movie.audio = FixtureAudio{};
        movie.audio->codec = container.audio;
        movie.audio->sampleRate = 48000;
        movie.audio->sampleCount = 48000 * frames / 25;
        const std::string path = scratch.File(std::string("movie.") + container.extension);
        std::string message;
        EXPECT_EQ(WriteFixtureMovie(path, movie, message), FixtureStatus::Written) << message;
        return path;
    }

    json Run(std::vector<std::string> arguments) {
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.exitCode == 0 ? json::parse(result.out) : json{};
    }

    std::vector<uint8_t> Image() const {
        std::ifstream in(scratch.File("out.gba"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    ScratchFolder scratch;
};

size_t PlayerSize() { return FindModuleResource("BINARY", 130)->size(); }

TEST_F(Plan, SaysWhatTheConversionWritesInEveryContainer) {
    for (const Container& container : kContainers) {
        SCOPED_TRACE(container.name);
        const std::string movie = Movie(container);
        for (const auto& [settings, needsBudget] : std::vector<std::pair<std::vector<std::string>, bool>>{
                 {{}, false},
                 {{"--frame-rate", "1/3", "--picture", "keep-aspect"}, false},
                 {{"--start", "0.5", "--end", "2.25"}, false},
                 // Grain that changes every frame at a low rate: the pictures need all their budget.
                 {{"--bitrate", "24", "--frame-rate", "unchanged"}, true}}) {
            SCOPED_TRACE(testing::PrintToString(settings));
            std::vector<std::string> plan{"plan", movie, "--json"};
            plan.insert(plan.end(), settings.begin(), settings.end());
            const json planned = Run(plan);
            std::vector<std::string> convert{"convert", movie, scratch.File("out.gba"), "--force"};
            convert.insert(convert.end(), settings.begin(), settings.end());
            ASSERT_EQ(RunCli(convert).exitCode, 0);
            const std::vector<uint8_t> image = Image();
            const MovieStreamCheck stream = ReadMovieStream(image, PlayerSize());
            ASSERT_TRUE(stream.ok) << stream.error;
            EXPECT_EQ(planned["frames"], stream.info.frameCount);
            EXPECT_EQ(planned["frameStep"], stream.info.frameStep);
            EXPECT_EQ(planned["width"], stream.info.width);
            EXPECT_EQ(planned["height"], stream.info.height);
            EXPECT_EQ(planned["audioBlocks"], stream.info.audioBlockCount);
            const double estimate = planned["imageBytes"].get<double>();
            std::printf("%-8s %-40s image %zu bytes, %.2f %% of the estimate\n", container.name,
                        testing::PrintToString(settings).c_str(), image.size(), 100 * double(image.size()) / estimate);
            EXPECT_LE(double(image.size()), 1.03 * estimate);
            if (needsBudget) {
                EXPECT_GE(double(image.size()), 0.97 * estimate);
            }
        }
    }
}

}  // namespace
