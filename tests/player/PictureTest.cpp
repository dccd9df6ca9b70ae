// Every picture the player shows equals FFmpeg's decode of the record, to the last bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/player/CinepakOracle.h"
#include "tests/player/FfmpegCinepakRecords.h"
#include "tests/player/OurCinepakRecords.h"
#include "tests/player/PlayerRun.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

using player_layout::kNoRecord;

struct PictureSize {
    int width;
    int height;
};

std::string SizeName(const ::testing::TestParamInfo<PictureSize>& info) {
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

// Runs the first pass of `movie` one refresh at a time; on every refresh with a record on
// the screen, the screen must be the oracle's decode of that record.
void ExpectEveryShownFrameMatches(const TestMovie& movie) {
    CinepakOracle oracle(movie.width, movie.height);
    std::vector<std::vector<uint16_t>> expected;
    for (const FrameRecord& record : movie.records)
        expected.push_back(ExpectedScreen(oracle.Decode(record), movie.width, movie.height));

    PlayerRun run(CartridgeImage(WriteMovieStream(movie)));
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.RunUntilPass(1));
    std::set<uint32_t> checked;
    for (uint32_t refresh = 0; refresh < 4 * movie.records.size() + 10; ++refresh) {
        const player_layout::PlayerStatus status = run.Refresh();
        if (status.passCount != 1) break;
        if (status.shownRecord == kNoRecord) continue;
        ASSERT_LT(status.shownRecord, expected.size());
        const std::string difference = ScreenDifference(run.core().ScreenBgr555(), expected[status.shownRecord]);
        EXPECT_EQ(difference, "") << "record " << status.shownRecord << " at pass refresh " << status.refreshCount;
        checked.insert(status.shownRecord);
    }
    EXPECT_EQ(checked.size(), movie.records.size()) << "records that never reached the screen";
    EXPECT_FALSE(run.core().Crashed());
}

class PlayerPictures : public ::testing::TestWithParam<PictureSize> {
protected:
    TestMovie Movie(std::vector<FrameRecord> records) const {
        TestMovie movie;
        movie.frameStep = 16458;  // 15 frames per second: time to decode even the largest records
        movie.width = GetParam().width;
        movie.height = GetParam().height;
        movie.records = std::move(records);
        movie.adpcm = ToneAdpcm(uint32_t(movie.records.size()) + 2);
        return movie;
    }

    std::vector<std::vector<uint8_t>> Pictures() const {
        std::vector<std::vector<uint8_t>> pictures;
        for (int i = 0; i < 8; ++i) pictures.push_back(MovingPicture(GetParam().width, GetParam().height, i));
        return pictures;
    }
};

bool HasInterRecord(const std::vector<FrameRecord>& records) {
    return std::any_of(records.begin(), records.end(), [](const FrameRecord& r) { return r.stripId == 0x1100; });
}

TEST_P(PlayerPictures, IntraAndInterFramesOfOurCompressorMatchFfmpegsDecode) {
    const auto [width, height] = GetParam();
    // About a byte per pixel: enough for both codebooks and a mix of vector kinds.
    const std::vector<FrameRecord> records = EncodeWithOurCinepak(Pictures(), width, height, uint32_t(width * height));
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(records[0].stripId, 0x1000);
    EXPECT_TRUE(HasInterRecord(records));
    ExpectEveryShownFrameMatches(Movie(records));
}

TEST_P(PlayerPictures, IntraAndInterFramesOfFfmpegsEncoderMatchFfmpegsDecode) {
    const auto [width, height] = GetParam();
    const std::vector<FrameRecord> records = EncodeWithFfmpegCinepak(Pictures(), width, height, 4);
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(records[0].stripId, 0x1000);
    EXPECT_TRUE(HasInterRecord(records));
    ExpectEveryShownFrameMatches(Movie(records));
}

TEST_P(PlayerPictures, LumaOnlySelectiveAndAllV1ChunksMatchFfmpegsDecode) {
    const auto [width, height] = GetParam();
    ExpectEveryShownFrameMatches(Movie(MakeHandMadeRecords(width, height, 20261208)));
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlayerPictures,
                         ::testing::Values(PictureSize{240, 160}, PictureSize{212, 160}, PictureSize{240, 136},
                                           PictureSize{120, 80}, PictureSize{4, 4}),
                         SizeName);

}  // namespace
