// The player feeds the host decoder's samples, one block per refresh, and stops the sound
// after the last block or at the end of the pass; the core's output carries that sound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "audio/AdpcmDecoder.h"
#include "audio/AdpcmEncoder.h"
#include "preview/PlayerProbe.h"
#include "tests/player/PlayerRun.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

constexpr uint32_t kTM0CNT_H = 0x04000102;
constexpr uint32_t kDMA1CNT_H = 0x040000C6;
constexpr uint32_t kTimerStart = 0x80;
constexpr uint32_t kDmaEnable = 0x8000;

bool SoundRunning(const HandheldCore& core) {
    return (core.Read16(kTM0CNT_H) & kTimerStart) != 0 || (core.Read16(kDMA1CNT_H) & kDmaEnable) != 0;
}

TestMovie SoundMovie(uint32_t frameStep, size_t records, uint32_t audioBlocks) {
    TestMovie movie;
    movie.frameStep = frameStep;
    movie.width = 120;
    movie.height = 80;
    movie.records = MakeHandMadeRecords(movie.width, movie.height, 3);
    movie.records.resize(records, movie.records.back());
    movie.adpcm = ToneAdpcm(audioBlocks);
    return movie;
}

std::vector<int8_t> Block(const std::vector<int8_t>& samples, uint32_t block) {
    const auto first = samples.begin() + ptrdiff_t(block) * kAdpcmBlockSamples;
    return std::vector<int8_t>(first, first + kAdpcmBlockSamples);
}

std::vector<int8_t> ReadBuffer(const HandheldCore& core, uint32_t buffer) {
    const auto samples = ReadSoundBuffer(core, buffer);
    return {samples.begin(), samples.end()};
}

TEST(PlayerSound, EachRefreshFeedsTheHostDecodersBlockAndTheSoundStopsAfterTheLast) {
    constexpr uint32_t kBlocks = 20;
    const TestMovie movie = SoundMovie(10972, 5, kBlocks);  // a pass of about 30 refreshes
    const std::vector<int8_t> reference = DecodeAdpcmBlock(movie.adpcm);
    PlayerRun run(CartridgeImage(WriteMovieStream(movie)));
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.RunUntilPass(1));
    EXPECT_EQ(run.status().audioBlocksLeft, kBlocks);

    std::set<uint32_t> fed;
    uint32_t refreshesAfterLastBlock = 0;
    for (int refresh = 0; refresh < 200 && run.Refresh().passCount == 1 && refreshesAfterLastBlock < 5; ++refresh) {
        const player_layout::PlayerStatus& status = run.status();
        ASSERT_LE(status.audioBlocksLeft, kBlocks);
        if (status.audioBlocksLeft == kBlocks) continue;
        const uint32_t block = kBlocks - status.audioBlocksLeft - 1;
        if (fed.insert(block).second) {
            EXPECT_EQ(ReadBuffer(run.core(), status.fillingBuffer), Block(reference, block)) << "block " << block;
        }
        if (status.audioBlocksLeft == 0) {
            EXPECT_FALSE(SoundRunning(run.core())) << "sound still running with no block left";
            ++refreshesAfterLastBlock;
        } else {
            EXPECT_TRUE(SoundRunning(run.core())) << "sound off with " << status.audioBlocksLeft << " blocks left";
        }
    }
    EXPECT_EQ(fed.size(), kBlocks);
    EXPECT_EQ(refreshesAfterLastBlock, 5u) << "the pass should outlast the sound";
}

TEST(PlayerSound, TheSoundStopsAtThePassEndAndStartsAfreshWithTheNextPass) {
    constexpr uint32_t kBlocks = 60;
    const TestMovie movie = SoundMovie(0x10000, 5, kBlocks);  // a pass of about 5 refreshes
    const std::vector<int8_t> reference = DecodeAdpcmBlock(movie.adpcm);
    PlayerRun run(CartridgeImage(WriteMovieStream(movie)));
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.RunUntilPass(1));
    ASSERT_TRUE(run.RunUntilPass(2, 20));
    EXPECT_EQ(run.status().refreshCount, 0u);
    EXPECT_EQ(run.status().audioBlocksLeft, kBlocks);
    EXPECT_FALSE(SoundRunning(run.core())) << "the sound of the last pass still runs";
    run.Refresh();
    EXPECT_TRUE(SoundRunning(run.core()));
    ASSERT_EQ(run.status().audioBlocksLeft, kBlocks - 1);
    EXPECT_EQ(ReadBuffer(run.core(), run.status().fillingBuffer), Block(reference, 0));
}

// Pearson correlation of the core's mono output with the fed samples held at the core's
// rate, at the best delay up to three refreshes.
double BestCorrelation(const std::vector<double>& output, const std::vector<double>& fed) {
    double best = -1;
    const size_t length = fed.size() - 3 * 560;
    for (size_t delay = 0; delay + length <= output.size() && delay < 3 * 560; ++delay) {
        double sumA = 0, sumB = 0, sumAA = 0, sumBB = 0, sumAB = 0;
        for (size_t i = 0; i < length; ++i) {
            const double a = output[delay + i], b = fed[i];
            sumA += a, sumB += b, sumAA += a * a, sumBB += b * b, sumAB += a * b;
        }
        const double n = double(length);
        const double cov = sumAB - sumA * sumB / n;
        const double varA = sumAA - sumA * sumA / n, varB = sumBB - sumB * sumB / n;
        if (varA > 0 && varB > 0) best = std::max(best, cov / std::sqrt(varA * varB));
    }
    return best;
}

TEST(PlayerSound, TheCoresOutputIsLoudAndFollowsTheFedSamples) {
    constexpr uint32_t kRefreshes = 30;
    const TestMovie movie = SoundMovie(16458, 10, 60);
    const std::vector<int8_t> reference = DecodeAdpcmBlock(movie.adpcm);
    PlayerRun run(CartridgeImage(WriteMovieStream(movie)));
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.RunUntilPass(1));
    run.core().TakeSound();
    for (uint32_t i = 0; i < kRefreshes; ++i) run.Refresh();
    ASSERT_EQ(run.status().passCount, 1u);
    const std::vector<int16_t> stereo = run.core().TakeSound();

    std::vector<double> output;
    double energy = 0;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        output.push_back((double(stereo[i]) + stereo[i + 1]) / 2);
        energy += output.back() * output.back();
    }
    ASSERT_FALSE(output.empty());
    EXPECT_GT(std::sqrt(energy / double(output.size())), 1000.0) << "the core's sound output is (nearly) silent";

    // The samples of the first blocks, each held for 32768 / 21024.08 core samples.
    std::vector<double> fed;
    const double step = 21024.08 / kCoreSoundRateHz;
    for (double at = 0; at < double(kRefreshes - 4) * kAdpcmBlockSamples; at += step)
        fed.push_back(reference[size_t(at)]);
    EXPECT_GT(BestCorrelation(output, fed), 0.9);
}

}  // namespace
