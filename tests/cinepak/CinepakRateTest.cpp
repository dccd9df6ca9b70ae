// Frame sizes against the desired size of each frame.
#include <gtest/gtest.h>

#include "tests/cinepak/CinepakTestSupport.h"

using namespace cinepak_test;

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

}  // namespace

TEST(CinepakRate, SqueezedIntraFrameCodesEveryBlockFromASmallCodebook) {
    // Every block needs at least its V1 index byte: 10 (frame) + 12 (strip) + 4 + 2400 (all-V1
    // vectors) bytes, and a codebook of at most 64 entries, 4 + 6 each. Noise fills all 64:
    // 2426 + 388 = 2814 bytes, the strip 2804. A flat picture needs one: 2436 bytes, padded so
    // that the strip holds 2428 bytes: 2438.
    const std::pair<Picture, size_t> cases[] = {{Noise(kWidth, kHeight, 1), 2814}, {Flat(kWidth, kHeight, 10, 20, 30), 2438}};
    for (const auto& [picture, bytes] : cases) {
        CompressorRun run(kWidth, kHeight);
        EXPECT_EQ(run.Compress(picture, 100).size(), bytes);
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

namespace {

// The movie encoder's budget: what the cumulative target leaves, at least half an average frame.
uint32_t MovieBudget(uint64_t averageBytes, int frame, uint64_t produced) {
    const uint64_t owed = averageBytes * uint64_t(frame + 1);
    return uint32_t(std::max(owed > produced ? owed - produced : 1, averageBytes / 2));
}

Picture Dimmed(Picture picture, double factor) {
    for (uint8_t& byte : picture.bgr) byte = uint8_t(byte * factor);
    return picture;
}

}  // namespace

TEST(CinepakRate, AtEveryRateFramesDecodeExactlyWithinTheirSizesAndEasyOnesLeaveBytesForTheCut) {
    // 12 frames a second, told the data rate as the movie encoder tells it: a still picture,
    // a cut to a moving one, then a fade to black.
    constexpr uint32_t kFramesPerSecond = 12;
    std::vector<Picture> clip;
    for (int k = 0; k < 8; ++k) clip.push_back(MovingScene(kWidth, kHeight, 0));
    for (int k = 0; k < 8; ++k) clip.push_back(MovingScene(kWidth, kHeight, 40 + k));
    for (int k = 1; k <= 4; ++k) clip.push_back(Dimmed(MovingScene(kWidth, kHeight, 48), 1 - 0.2 * k));
    constexpr int kCut = 8;
    // An intra frame that cannot fit its size codes every block V1 from at most 64 entries.
    constexpr size_t kSqueezedIntra = 2814;
    for (const uint32_t rate : {12u, 20u, 30u, 45u, 60u, 80u}) {
        SCOPED_TRACE(std::to_string(rate) + " KB/s");
        const uint64_t average = uint64_t(rate) * 1024 / kFramesPerSecond;
        ICCOMPRESSFRAMES info;
        info.lDataRate = int32_t(rate * 1024);
        info.dwRate = kFramesPerSecond;
        info.dwScale = 1;
        info.lFrameCount = int32_t(clip.size());
        CompressorRun run(kWidth, kHeight, info);
        FfmpegDecoder decoder(kWidth, kHeight);
        ASSERT_TRUE(decoder.Ok());
        uint64_t produced = 0;
        std::vector<uint64_t> sizes, budgets;
        for (size_t k = 0; k < clip.size(); ++k) {
            const uint32_t budget = MovieBudget(average, int(k), produced);
            const std::vector<uint8_t> frame = run.Compress(clip[k], budget);
            ASSERT_TRUE(decoder.Decode(frame) == run.compressor.Reconstruction()) << "frame " << k;
            EXPECT_LE(frame.size(), k == 0 ? std::max<size_t>(budget, kSqueezedIntra) : budget) << "frame " << k;
            produced += frame.size();
            sizes.push_back(frame.size());
            budgets.push_back(budget);
        }
        EXPECT_GT(budgets[kCut], average * 5 / 4) << "the still frames leave bytes";
        EXPECT_GT(sizes[kCut], average) << "the cut spends them";
        EXPECT_LE(produced, average * clip.size() + kSqueezedIntra) << "the stream keeps its rate";
    }
}
