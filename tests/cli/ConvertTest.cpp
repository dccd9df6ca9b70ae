// kavro-cli convert: options reach the image, exit statuses, and Ctrl-C.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/cli/CliRun.h"
#include "tests/source/FixtureMovies.h"

extern char** environ;

namespace {

using nlohmann::json;

class Convert : public testing::Test {
protected:
    // An AVI at 25 fps with stereo sound: 128 x 96 raw pictures unless told otherwise.
    std::string Movie(int frames = 25, int width = 128, int height = 96, AVCodecID codec = AV_CODEC_ID_RAWVIDEO) {
        FixtureMovie movie;
        movie.video->codec = codec;
        movie.video->width = width;
        movie.video->height = height;
        movie.video->frameCount = frames;
        movie.audio = FixtureAudio{};
        movie.audio->sampleCount = 44100 * frames / 25;
        const std::string path = (scratch.Path() / ("movie-" + std::to_string(frames) + ".avi")).string();
        std::string message;
        EXPECT_EQ(WriteFixtureMovie(path, movie, message), FixtureStatus::Written) << message;
        return path;
    }

    std::string Output() const { return (scratch.Path() / "out.gba").string(); }

    // Converts the one-second movie with the options and answers the --json summary.
    json ConvertJson(std::vector<std::string> options) {
        std::vector<std::string> arguments{"convert", Movie(), Output(), "--json", "--force"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CliResult result = RunCli(arguments);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.exitCode == 0 ? json::parse(result.out) : json{};
    }

    std::vector<uint8_t> Image() const {
        std::ifstream in(Output(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    ScratchFolder scratch;
};

TEST_F(Convert, DefaultsMakeAnImageThatInspects) {
    const json summary = ConvertJson({});
    EXPECT_TRUE(summary["ok"].get<bool>());
    EXPECT_TRUE(summary["streamOk"].get<bool>());
    // 128 x 96 keeps its aspect at 160 rows; 25 fps is halved automatically.
    EXPECT_EQ(summary["width"], 212);
    EXPECT_EQ(summary["height"], 160);
    EXPECT_EQ(summary["frames"], 12);
    EXPECT_EQ(RunCli({"inspect", Output()}).exitCode, 0);
}

TEST_F(Convert, PictureOptionsSetTrimmingAndSize) {
    EXPECT_EQ(ConvertJson({"--picture", "stretch"})["width"], 240);
    const json keepAspect = ConvertJson({"--picture", "keep-aspect"});
    EXPECT_EQ(keepAspect["width"], 240);
    EXPECT_EQ(keepAspect["height"], 160);
    const json manual = ConvertJson({"--picture", "manual", "--size", "120x80"});
    EXPECT_EQ(manual["width"], 120);
    EXPECT_EQ(manual["height"], 80);
    // 64 columns cut on the right leave 64 x 96, which grows to 108 x 160.
    const json trimmed = ConvertJson({"--trim-mode", "3", "--trim", "0,0,64,0"});
    EXPECT_EQ(trimmed["width"], 108);
    EXPECT_EQ(trimmed["height"], 160);
}

TEST_F(Convert, FrameRateBitrateFilterAndNameReachTheImage) {
    EXPECT_EQ(ConvertJson({"--frame-rate", "unchanged"})["frames"], 25);
    EXPECT_EQ(ConvertJson({"--frame-rate", "1/5", "--picture", "stretch"})["frames"], 5)
        << "the frame rate applies in every picture mode";
    const size_t thin = ConvertJson({"--bitrate", "10", "--prefilter", "0"})["imageBytes"].get<size_t>();
    const size_t rich = ConvertJson({"--bitrate", "300", "--prefilter", "0"})["imageBytes"].get<size_t>();
    EXPECT_LT(thin, rich);
    ConvertJson({"--rom-name", "moviE"});
    const std::vector<uint8_t> image = Image();
    EXPECT_EQ(std::string(image.begin() + 160, image.begin() + 166), std::string("MOVIE\0", 6));
}

TEST_F(Convert, UsageErrorsExitTwoAndTouchNothing) {
    const std::string movie = Movie();
    std::ofstream(Output()) << "keep";
    const auto usage = [&](std::vector<std::string> options) {
        std::vector<std::string> arguments{"convert", movie, Output()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return RunCli(arguments);
    };
    const CliResult existing = usage({});
    EXPECT_EQ(existing.exitCode, 2);
    EXPECT_NE(existing.err.find("--force"), std::string::npos) << existing.err;
    EXPECT_EQ(usage({"--force", "--size", "238x160"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--picture", "stretch", "--trim", "1,2,3,4"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--frame-rate", "3/4"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--prefilter", "4"}).exitCode, 2);
    EXPECT_EQ(usage({"--force", "--rom-name", "THIRTEEN CHAR"}).exitCode, 2);
    EXPECT_EQ(RunCli({"convert", movie}).exitCode, 2);
    EXPECT_EQ(Image(), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

TEST_F(Convert, FailedConversionExitsOneWithTheDialogsMessage) {
    const CliResult result = RunCli({"convert", (scratch.Path() / "none.avi").string(), Output()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("変換中にエラーが発生しました(4)\n"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("No such file"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(Output()));
}

TEST_F(Convert, InterruptAbortsAndWritesNothing) {
    const std::string movie = Movie(500, 320, 240, AV_CODEC_ID_MJPEG);  // 20 s: long enough to interrupt
    const std::string errors = (scratch.Path() / "stderr").string();
    const std::string output = Output();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> arguments{KAVRO_CLI_PATH, "convert", movie, output};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Interrupt once the first progress line shows that decoding runs.
    const auto readErrors = [&] {
        std::ifstream in(errors);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    for (int wait = 0; wait < 200 && readErrors().find('%') == std::string::npos; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(readErrors().find("変換処理は中断されました"), std::string::npos) << readErrors();
    EXPECT_FALSE(std::filesystem::exists(output));
}

}  // namespace
