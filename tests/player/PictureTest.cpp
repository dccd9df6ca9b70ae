// Every picture the player shows equals FFmpeg's decode of the record, to the last bit.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/player/FfmpegCinepakRecords.h"
#include "tests/player/OurCinepakRecords.h"
#include "tests/player/ShownFrames.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

struct PictureSize {
    int width;
    int height;
};

std::string SizeName(const ::testing::TestParamInfo<PictureSize>& info) {
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

// Every refresh of the first pass that shows a record shows the oracle's decode of it.
void ExpectEveryShownFrameMatches(const TestMovie& movie) {
    const ShownFramesCheck check =
        CheckShownFrames(CartridgeImage(WriteMovieStream(movie)), movie.records, movie.width, movie.height);
    ASSERT_TRUE(check.started);
    for (const std::string& difference : check.differences) ADD_FAILURE() << difference;
    EXPECT_EQ(check.recordsShown, movie.records.size()) << "records that never reached the screen";
    EXPECT_FALSE(check.crashed);
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
