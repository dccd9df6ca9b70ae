// kavro-cli preview: a contact sheet, the frames and the sound of a run on the core.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "tests/cli/CliRun.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t BigEndian32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

uint32_t LittleEndian32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// The size of the "data" chunk, found by walking the RIFF chunks after "WAVE".
uint32_t WavDataBytes(const std::vector<uint8_t>& wav) {
    for (size_t at = 12; at + 8 <= wav.size(); at += 8 + ((LittleEndian32(wav, at + 4) + 1) & ~1u))
        if (std::string(wav.begin() + ptrdiff_t(at), wav.begin() + ptrdiff_t(at) + 4) == "data")
            return LittleEndian32(wav, at + 4);
    return 0;
}

class Preview : public ::testing::Test {
protected:
    void SetUp() override {
        TestMovie movie;
        movie.frameStep = 32917;  // 30 frames per second
        movie.width = 120;
        movie.height = 80;
        movie.records = MakeHandMadeRecords(movie.width, movie.height, 4);
        movie.adpcm = ToneAdpcm(60);
        image_ = scratch_.Write("movie.gba", CartridgeImage(WriteMovieStream(movie)));
    }

    ScratchFolder scratch_;
    std::string image_;
};

TEST_F(Preview, WritesAContactSheetAndTheSound) {
    const fs::path out = scratch_.Path() / "out";
    const CliResult result = RunCli({"preview", image_, "--seconds", "1", "--out", out.string(), "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json summary = json::parse(result.out);
    EXPECT_EQ(summary["refreshes"], 60);  // ceil(1 s x 59.7275 Hz)
    EXPECT_GT(summary["framesShown"].get<int>(), 5);  // 5 records, then the loop
    EXPECT_GT(summary["soundRms"].get<double>(), 100.0);

    // PNG: signature, then the IHDR chunk with width and height: 4 x 4 screens with 4-pixel gaps.
    const std::vector<uint8_t> sheet = ReadBytes(out / "movie-sheet.png");
    ASSERT_GT(sheet.size(), 24u);
    EXPECT_EQ(std::vector<uint8_t>(sheet.begin(), sheet.begin() + 8),
              (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    EXPECT_EQ(BigEndian32(sheet, 16), 4 * 240 + 5 * 4u);
    EXPECT_EQ(BigEndian32(sheet, 20), 4 * 160 + 5 * 4u);

    // WAV: 32768 Hz, 2 channels, 16 bits, about one second of sound.
    const std::vector<uint8_t> wav = ReadBytes(out / "movie.wav");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 12), "WAVE");
    EXPECT_EQ(wav[22], 2);
    EXPECT_EQ(LittleEndian32(wav, 24), 32768u);
    EXPECT_EQ(wav[34], 16);
    EXPECT_NEAR(double(WavDataBytes(wav)) / (32768 * 4), 1.0, 0.1);
}

TEST_F(Preview, EveryFrameWritesOneFilePerShownFrame) {
    const fs::path out = scratch_.Path() / "frames";
    const CliResult result =
        RunCli({"preview", image_, "--seconds", "0.5", "--out", out.string(), "--every-frame", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json summary = json::parse(result.out);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(out / "movie-frames")) files += entry.path().extension() == ".png";
    EXPECT_EQ(files, summary["framesShown"].get<size_t>());
    EXPECT_EQ(files, summary["framesWritten"].get<size_t>());
    EXPECT_GE(files, 5u);
}

TEST_F(Preview, ScreenShowsTheSheetAsThatScreenWould) {
    // The same run, drawn as the core draws it and as the unlit screen shows it: the same frames
    // are written, each picture through the screen's model (the model itself is checked by
    // the video tests).
    const auto run = [&](const std::string& screen) {
        const fs::path out = scratch_.Path() / screen;
        const CliResult result = RunCli({"preview", image_, "--seconds", "0.5", "--out", out.string(), "--every-frame",
                                         "--screen", screen, "--json"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(json::parse(result.out)["screen"], screen);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(out / "movie-frames")) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return std::pair(ReadBytes(out / "movie-sheet.png"), names);
    };
    const auto [plain, plainFrames] = run("standard");
    const auto [unlit, unlitFrames] = run("gba");
    EXPECT_NE(unlit, plain);
    EXPECT_EQ(unlitFrames, plainFrames);
    EXPECT_GE(unlitFrames.size(), 5u);
    EXPECT_EQ(RunCli({"preview", image_, "--screen", "dmg", "--out", (scratch_.Path() / "dmg").string()}).exitCode, 2);
    EXPECT_FALSE(fs::exists(scratch_.Path() / "dmg"));
}

TEST_F(Preview, NothingCountsAsShownBeforeThePlayerHasStarted) {
    const CliResult result = RunCli({"preview", image_, "--seconds", "0.02", "--out", scratch_.Path().string(), "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json summary = json::parse(result.out);
    EXPECT_EQ(summary["refreshes"], 2);
    EXPECT_EQ(summary["framesShown"], 0);
}

TEST_F(Preview, UsageMistakesTouchNothing) {
    const fs::path out = scratch_.Path() / "out";
    EXPECT_EQ(RunCli({"preview", image_, "--seconds", "nan", "--out", out.string()}).exitCode, 2);
    EXPECT_FALSE(fs::exists(out));
    ASSERT_EQ(RunCli({"preview", image_, "--seconds", "0.1", "--out", out.string()}).exitCode, 0);
    const std::vector<uint8_t> sheet = ReadBytes(out / "movie-sheet.png");
    const CliResult again = RunCli({"preview", image_, "--seconds", "0.5", "--out", out.string()});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
    EXPECT_EQ(ReadBytes(out / "movie-sheet.png"), sheet);
    EXPECT_EQ(RunCli({"preview", image_, "--seconds", "0.5", "--out", out.string(), "--force"}).exitCode, 0);
}

TEST_F(Preview, ANonImageIsRefused) {
    const std::string text = scratch_.Write("notes.gba", std::vector<uint8_t>(300, 'x'));
    const CliResult result = RunCli({"preview", text, "--seconds", "0.1", "--out", scratch_.Path().string()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("not a cartridge image"), std::string::npos) << result.err;
}

}  // namespace
