// Frame sizes against the desired size of each frame.
#include <gtest/gtest.h>

#include "tests/cinepak/CinepakTestSupport.h"

using namespace cinepak_test;

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

}  // namespace

TEST(CinepakRate, SqueezedIntraFrameIsTheSmallestPossible) {
    // Every block needs at least its V1 index byte: 10 (frame) + 12 (strip) + 10 (a V1 codebook
    // of one entry) + 4 + 2400 (all-V1 vectors) = 2436 bytes, padded so that the strip holds
    // 2428 bytes: 2438.
    for (const Picture& picture : {Noise(kWidth, kHeight, 1), Flat(kWidth, kHeight, 10, 20, 30)}) {
        CompressorRun run(kWidth, kHeight);
        EXPECT_EQ(run.Compress(picture, 100).size(), 2438u);
    }
}

TEST(CinepakRate, SqueezedInterFrameSkipsEverything) {
    // 10 + 12 + 4 + 2400 skip bits in 75 words = 326 bytes, strip 316.
    CompressorRun run(kWidth, kHeight);
    run.Compress(MovingScene(kWidth, kHeight, 0), 8000);
    const std::vector<uint8_t> before = run.compressor.Reconstruction();
    EXPECT_EQ(run.Compress(Noise(kWidth, kHeight, 2), 1).size(), 326u);
    EXPECT_TRUE(run.compressor.Reconstruction() == before);
}

TEST(CinepakRate, PicturesThatNeedTheBytesUseMostOfThem) {
    for (const uint32_t budget : {3000u, 6000u, 9000u, 12000u}) {
        SCOPED_TRACE(budget);
        CompressorRun run(kWidth, kHeight);
        for (uint32_t seed = 1; seed <= 3; ++seed) {
            const size_t bytes = run.Compress(Noise(kWidth, kHeight, seed), budget).size();
            EXPECT_LE(bytes, budget);
            EXPECT_GE(bytes, budget * 9 / 10);
        }
    }
}

TEST(CinepakRate, FlatPictureNeedsFewBytes) {
    CompressorRun run(kWidth, kHeight);
    const std::vector<uint8_t> frame = run.Compress(Flat(kWidth, kHeight, 200, 120, 40), 20000);
    EXPECT_EQ(frame.size(), 2438u);
    const std::vector<uint8_t> shown = run.compressor.Reconstruction();
    for (size_t i = 0; i < shown.size(); i += 3) {
        ASSERT_NEAR(shown[i], 200, 2);
        ASSERT_NEAR(shown[i + 1], 120, 2);
        ASSERT_NEAR(shown[i + 2], 40, 2);
    }
    // Nothing changes: the next frame skips every block.
    EXPECT_EQ(run.Compress(Flat(kWidth, kHeight, 200, 120, 40), 20000).size(), 326u);
}

TEST(CinepakRate, RunningBudgetHoldsTheDataRate) {
    // The movie encoder's budget: what the stream is owed so far, at least half a frame.
    constexpr uint64_t kAverage = 6000;
    constexpr int kFrames = 30;
    CompressorRun run(kWidth, kHeight);
    uint64_t produced = 0;
    for (int k = 0; k < kFrames; ++k) {
        const uint64_t owed = kAverage * uint64_t(k + 1);
        const uint32_t budget = uint32_t(std::max(owed > produced ? owed - produced : 1, kAverage / 2));
        const size_t bytes = run.Compress(MovingScene(kWidth, kHeight, k), budget).size();
        EXPECT_LE(bytes, budget) << "frame " << k;
        produced += bytes;
    }
    EXPECT_NEAR(double(produced), double(kAverage * kFrames), 0.03 * kAverage * kFrames);
}

TEST(CinepakRate, GenerousBudgetGivesAGoodPicture) {
    CompressorRun run(kWidth, kHeight);
    const Picture picture = MovingScene(kWidth, kHeight, 4);
    const std::vector<uint8_t> frame = run.Compress(picture, 60000);
    EXPECT_LE(frame.size(), 13373u);
    EXPECT_GT(Psnr(run.compressor.Reconstruction(), TopDownRgb(picture)), 30.0);
}

TEST(CinepakRate, SameInputGivesSameBytes) {
    std::vector<std::vector<uint8_t>> first, second;
    for (auto* frames : {&first, &second}) {
        CompressorRun run(120, 80);
        for (int k = 0; k < 6; ++k) frames->push_back(run.Compress(MovingScene(120, 80, k), 1500));
        frames->push_back(run.Compress(Noise(120, 80, 3), 1500));
    }
    EXPECT_EQ(first, second);
}
