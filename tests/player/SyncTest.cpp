// Pictures and sound in step on the core: sync movies at the rates the frame-rate plan makes,
// record k at the movie's time k / fps, with white flashes on irregular records and a beep at
// each flash's time in the sound.
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
    double fps;          // of the records
    uint32_t frameStep;  // truncate(fps x 65536 / 59.727), worked out by hand
};

// Records that flash, over 4 seconds of 10 fps or more, at no regular spacing.
const std::vector<int> kFlashPictures = {2, 8, 15, 23, 30, 36};

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
        const size_t first = size_t(std::lround(picture / source.fps * kSoundRate));
        for (size_t i = 0; i < size_t(kSoundRate / 10) && first + i < samples; ++i)
            sound[first + i] = int16_t(16000 * std::sin(2 * std::numbers::pi * 1000 * double(i) / kSoundRate));
    }
    return sound;
}

TestMovie SyncMovie(const SyncSource& source) {
    TestMovie movie;
    movie.frameStep = source.frameStep;
    movie.width = kWidth;
    movie.height = kHeight;
    std::mt19937 random(source.frameStep);
    const int pictures = int(4 * source.fps);
    for (int picture = 0; picture < pictures; ++picture)
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
        const double dueMs = kFlashPictures[i] * 1000 / source.fps;
        EXPECT_NEAR(onsets.flashes[i].ms, dueMs, kRefreshMs) << "flash " << i;
        EXPECT_NEAR(offsets[i], 0, kRefreshMs) << "flash " << i;
    }
    // The loop: the next pass's record 0 is seen a whole movie (one slot per record) later.
    const double movieMs = double(movie.records.size()) * 0x10000 / source.frameStep * kRefreshMs;
    EXPECT_NEAR(onsets.passMs, movieMs, kRefreshMs);
}

INSTANTIATE_TEST_SUITE_P(
    PlannedRates, PlayerSync,
    ::testing::Values(SyncSource{"15 fps", 15.0, 16458},                // 15 x 65536 / 59.727 = 16458.89
                      SyncSource{"12.5 fps", 12.5, 13715},              // 13715.74
                      SyncSource{"11.988 fps", 12000.0 / 1001, 13153},  // 13153.94
                      SyncSource{"30 fps", 30.0, 32917},                // 32917.78
                      SyncSource{"10 fps", 10.0, 10972}),               // 10972.59
    [](const ::testing::TestParamInfo<SyncSource>& info) { return "Rate" + std::to_string(info.index); });

}  // namespace
