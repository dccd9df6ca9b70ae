// kavro-cli inspect: the figures of a good image, and damage reported with the stream
// reader's own message and a non-zero exit.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/CliRun.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"
#include "video/MovieStreamReader.h"

namespace {

using nlohmann::json;

class Inspect : public ::testing::Test {
protected:
    void SetUp() override {
        movie_.frameStep = 16458;  // 15 frames per second
        movie_.width = 120;
        movie_.height = 80;
        movie_.records = MakeHandMadeRecords(movie_.width, movie_.height, 9);  // 3 intra, 2 inter
        movie_.adpcm = ToneAdpcm(30);
        image_ = CartridgeImage(WriteMovieStream(movie_));
    }

    CliResult InspectJson(const std::vector<uint8_t>& image, std::vector<std::string> extra = {}) const {
        std::vector<std::string> arguments{"inspect", scratch_.Write("movie.gba", image), "--json"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunCli(arguments);
    }

    // The image must fail inspection with exit code 1 and the reader's message.
    void ExpectDamaged(const std::vector<uint8_t>& image) const {
        const std::string readerMessage = ReadMovieStream(image, PlayerRom().size()).error;
        ASSERT_NE(readerMessage, "");
        const CliResult result = InspectJson(image);
        EXPECT_EQ(result.exitCode, 1);
        const json report = json::parse(result.out);
        EXPECT_FALSE(report["ok"].get<bool>());
        EXPECT_NE(std::find(report["errors"].begin(), report["errors"].end(), readerMessage), report["errors"].end())
            << result.out;
        const CliResult text = RunCli({"inspect", scratch_.Write("text.gba", image)});
        EXPECT_EQ(text.exitCode, 1);
        EXPECT_NE(text.out.find(readerMessage), std::string::npos) << text.out;
    }

    TestMovie movie_;
    std::vector<uint8_t> image_;
    ScratchFolder scratch_;
};

TEST_F(Inspect, AGoodImageShowsItsFiguresAndPasses) {
    const CliResult result = InspectJson(image_);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const json report = json::parse(result.out);
    EXPECT_TRUE(report["ok"].get<bool>());
    EXPECT_EQ(report["streamOffset"], PlayerRom().size());
    EXPECT_EQ(report["frameCount"], 5);
    EXPECT_EQ(report["frameStep"], 16458);
    EXPECT_NEAR(report["framesPerSecond"].get<double>(), 15.0, 0.01);
    EXPECT_EQ(report["width"], 120);
    EXPECT_EQ(report["height"], 80);
    EXPECT_TRUE(report["header"]["logoOk"].get<bool>());
    EXPECT_TRUE(report["header"]["fixedByteOk"].get<bool>());
    EXPECT_TRUE(report["header"]["complementOk"].get<bool>());

    std::vector<size_t> sizes;
    for (const FrameRecord& record : movie_.records) sizes.push_back(record.chunks.size() + 4);
    std::sort(sizes.begin(), sizes.end());
    const json& all = report["records"]["all"];
    EXPECT_EQ(all["count"], 5);
    EXPECT_EQ(all["minBytes"], sizes.front());
    EXPECT_EQ(all["medianBytes"], sizes[2]);
    EXPECT_EQ(all["maxBytes"], sizes.back());
    EXPECT_EQ(all["totalBytes"], std::accumulate(sizes.begin(), sizes.end(), size_t(0)));
    EXPECT_EQ(report["records"]["intra"]["count"], 3);
    EXPECT_EQ(report["records"]["inter"]["count"], 2);
    EXPECT_EQ(report["audio"]["blockCount"], 30);
    EXPECT_NEAR(report["audio"]["seconds"].get<double>(), 30 / 59.7275, 0.001);
    EXPECT_NEAR(report["movieSeconds"].get<double>(), 5 / 15.0, 0.001);

    const CliResult text = RunCli({"inspect", scratch_.Write("text.gba", image_)});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("120 x 80"), std::string::npos) << text.out;
}

TEST_F(Inspect, DamagedStreamsFailWithTheReadersMessage) {
    const size_t stream = PlayerRom().size();
    std::vector<uint8_t> countHigh = image_;
    countHigh[stream] = 6;  // one frame more than the records
    ExpectDamaged(countHigh);
    std::vector<uint8_t> countLow = image_;
    countLow[stream] = 4;
    ExpectDamaged(countLow);
    std::vector<uint8_t> cutShort(image_.begin(), image_.end() - 10);
    ExpectDamaged(cutShort);
    std::vector<uint8_t> trailing = image_;
    trailing.insert(trailing.end(), 8, 0);
    ExpectDamaged(trailing);
}

TEST_F(Inspect, AWrongHeaderComplementFails) {
    std::vector<uint8_t> image = image_;
    image[0xBD] ^= 0x01;
    const CliResult result = InspectJson(image);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(json::parse(result.out)["header"]["complementOk"].get<bool>());
}

TEST_F(Inspect, AnotherPlayerNeedsTheStreamOffset) {
    std::vector<uint8_t> image = image_;
    image[0x100] ^= 0xFF;  // in the player's code, outside the checked header
    EXPECT_EQ(InspectJson(image).exitCode, 2);
    const CliResult given = InspectJson(image, {"--stream-offset", std::to_string(PlayerRom().size())});
    EXPECT_EQ(given.exitCode, 0) << given.out;
    EXPECT_EQ(json::parse(given.out)["streamOffset"], PlayerRom().size());
}

TEST_F(Inspect, AMissingFileIsAFailureNotDamage) {
    const CliResult result = RunCli({"inspect", (scratch_.Path() / "none.gba").string()});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err, "");
    // A folder opens like a file but cannot be read: the same failure, not a crash.
    const CliResult folder = RunCli({"inspect", scratch_.Path().string()});
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_NE(folder.err.find("cannot read"), std::string::npos) << folder.err;
}

}  // namespace
