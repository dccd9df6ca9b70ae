// Pictures and sound in step on the core: sync movies made the way the frame-rate plan makes
// a 23.976 to 30 fps movie (the second picture of every two kept), with white flashes on
// irregular source pictures and a beep at each flash's time in the sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

#include "audio/AdpcmEncoder.h"
#include "tests/player/StripBuilder.h"
#include "tests/player/SyncOnsets.h"
#include "tests/player/TestCartridge.h"

namespace {

constexpr double kRefreshMs = 1000.0 * 280896 / 16777216;  // 16.74 ms
constexpr double kSoundRate = 21024;                       // the collected sound's rate
constexpr int kWidth = 200;
constexpr int kHeight = 160;

struct SyncSource {
    const char* name;
    double sourceFps;
    uint32_t frameStep;  // of the halved rate: truncate(fps / 2 x 65536 / 59.727), worked out by hand
};

// Source pictures (odd: kept) that flash, over 4 seconds, at no regular spacing.
const std::vector<int> kFlashPictures = {5, 17, 31, 47, 53, 71, 89, 93};

// 256 V1 entries, 0..127 dark grey, 128..255 near white, each with its own dither.
FrameRecord Picture(std::mt19937& random, bool flash) {
    std::vector<CodebookEntry> entries(256);
    for (size_t e = 0; e < entries.size(); ++e) {
        const int base = e < 128 ? 24 : 226;
        for (uint8_t& y : entries[e].y) y = uint8_t(base + int(random() % 28));
        entries[e].u = int8_t(int(random() % 7) - 3);
        entries[e].v = int8_t(int(random() % 7) - 3);
    }
    std::vector<BlockCode> blocks(size_t(kWidth / 4) * (kHeight / 4));
    for (BlockCode& block : blocks) block.index[0] = uint8_t((flash ? 128 : 0) + random() % 128);
    StripBuilder strip;
    strip.FullCodebook(0x22, entries);
    strip.AllV1Vectors(blocks);
    return strip.Finish(0x1000);
}

// A faint hiss, and a 100 ms beep of 1 kHz from each flash's time on.
std::vector<int16_t> Sound(const SyncSource& source, size_t samples) {
    std::vector<int16_t> sound(samples);
    std::mt19937 random(7);
    for (int16_t& sample : sound) sample = int16_t(int(random() % 401) - 200);
    for (int picture : kFlashPictures) {
        const size_t first = size_t(std::lround(picture / source.sourceFps * kSoundRate));
        for (size_t i = 0; i < size_t(kSoundRate / 10) && first + i < samples; ++i)
            sound[first + i] = int16_t(16000 * std::sin(2 * std::numbers::pi * 1000 * double(i) / kSoundRate));
    }
    return sound;
}

// Record k holds source picture 2k + 1, as the plan keeps it.
TestMovie SyncMovie(const SyncSource& source) {
    TestMovie movie;
    movie.frameStep = source.frameStep;
    movie.width = kWidth;
    movie.height = kHeight;
    std::mt19937 random(source.frameStep);
    const int sourcePictures = int(4 * source.sourceFps);
    for (int picture = 1; picture < sourcePictures; picture += 2)
        movie.records.push_back(Picture(random, std::count(kFlashPictures.begin(), kFlashPictures.end(), picture) > 0));
    const uint32_t blocks = uint32_t((movie.records.size() + 1) * 0x10000 / source.frameStep) + 1;
    const std::vector<int16_t> sound = Sound(source, size_t(blocks) * kAdpcmBlockSamples);
    AdpcmEncoder encoder;
    for (size_t k = 0; k + 1 < sound.size(); k += 2) movie.adpcm.push_back(encoder.EncodeAdpcmPair(sound[k], sound[k + 1]));
    return movie;
}

class PlayerSync : public ::testing::TestWithParam<SyncSource> {};

TEST_P(PlayerSync, EveryFlashIsSeenWithinOneRefreshOfItsBeepAndOfItsMovieTime) {
    const SyncSource& source = GetParam();
    const TestMovie movie = SyncMovie(source);
    const SyncOnsets onsets = FindSyncOnsets(CartridgeImage(WriteMovieStream(movie)));
    ASSERT_EQ(onsets.error, "");
    std::printf("%s, frame step %u:\n%s", source.name, source.frameStep, DescribeSync(onsets).c_str());
    ASSERT_EQ(onsets.flashes.size(), kFlashPictures.size());
    ASSERT_EQ(onsets.beeps.size(), kFlashPictures.size());
    const std::vector<double> offsets = BeepOffsetsMs(onsets);
    for (size_t i = 0; i < kFlashPictures.size(); ++i) {
        // Record 0 holds source picture 1, so a flash is due (picture - 1) / fps after it.
        const double dueMs = (kFlashPictures[i] - 1) * 1000 / source.sourceFps;
        EXPECT_NEAR(onsets.flashes[i].ms, dueMs, kRefreshMs) << "flash " << i;
        EXPECT_NEAR(offsets[i], 0, kRefreshMs) << "flash " << i;
    }
    // The loop: the next pass's record 0 is seen a whole movie (one slot per record) later.
    const double movieMs = double(movie.records.size()) * 0x10000 / source.frameStep * kRefreshMs;
    EXPECT_NEAR(onsets.passMs, movieMs, kRefreshMs);
}

INSTANTIATE_TEST_SUITE_P(
    HalvedRates, PlayerSync,
    ::testing::Values(SyncSource{"30 fps", 30.0, 16458},  // 15 x 65536 / 59.727 = 16458.89
                      SyncSource{"25 fps", 25.0, 13715},  // 12.5 x 65536 / 59.727 = 13715.74
                      SyncSource{"23.976 fps", 24000.0 / 1001, 13153}),  // 11.988 x 65536 / 59.727 = 13153.94
    [](const ::testing::TestParamInfo<SyncSource>& info) { return "Source" + std::to_string(info.index); });

}  // namespace
