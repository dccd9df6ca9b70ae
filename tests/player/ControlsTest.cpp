// The controls of an image that has them, on the core: a pause freezes the picture and silences
// the sound and resumes both in step; each seek shows its seek point as FFmpeg decodes the movie
// from that intra record on, with the sound that plays with it; SELECT starts over; the place
// survives a reset in SRAM and is offered again. Records run at 5 a second, seek points every
// 10 records (2 seconds): 10 seconds are 50 records, 60 seconds 300.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "audio/AdpcmDecoder.h"
#include "format/ResumePoint.h"
#include "format/SeekPoints.h"
#include "preview/PlayerProbe.h"
#include "tests/player/CinepakOracle.h"
#include "tests/player/ControlsMovie.h"
#include "tests/player/PlayerRun.h"

namespace {

using player_layout::kNoRecord;

constexpr uint32_t kRecords = 400;
constexpr uint32_t kSeekInterval = 10;
constexpr uint32_t kTenSeconds = 50;
constexpr uint32_t kMinute = 300;
// The hint's band: the bottom 11 lines of the screen.
constexpr size_t kBandFirstPixel = size_t(handheld::kScreenWidth) * (handheld::kScreenHeight - 11);

// When each record first reached the screen and each sound block was decoded, by the pass's
// refresh count, and what each block decoded to.
struct Timeline {
    std::map<uint32_t, uint32_t> shownAt;
    std::map<uint32_t, uint32_t> decodedAt;
    std::map<uint32_t, std::vector<int8_t>> samples;
};

uint32_t BlockCount(const TestMovie& movie) {
    return uint32_t(movie.adpcm.size() / kAdpcmBlockBytes);
}

std::vector<int8_t> Buffer(const HandheldCore& core, uint32_t buffer) {
    const auto samples = ReadSoundBuffer(core, buffer);
    return {samples.begin(), samples.end()};
}

// What the refresh just run shows and decodes, noted once per record and block.
void Observe(PlayerRun& run, uint32_t blocks, Timeline& timeline) {
    const player_layout::PlayerStatus& status = run.status();
    if (status.shownRecord != kNoRecord) timeline.shownAt.try_emplace(status.shownRecord, status.refreshCount);
    if (status.audioBlocksLeft < blocks && status.refreshCount > 0) {
        const uint32_t block = blocks - status.audioBlocksLeft - 1;
        if (timeline.decodedAt.try_emplace(block, status.refreshCount).second)
            timeline.samples[block] = Buffer(run.core(), status.fillingBuffer);
    }
}

bool ScreenOutsideBandIs(const std::vector<uint16_t>& screen, const std::vector<uint16_t>& expected) {
    return std::equal(screen.begin(), screen.begin() + ptrdiff_t(kBandFirstPixel), expected.begin());
}

bool BandIs(const std::vector<uint16_t>& screen, const std::vector<uint16_t>& expected) {
    return std::equal(screen.begin() + ptrdiff_t(kBandFirstPixel), screen.end(), expected.begin() + ptrdiff_t(kBandFirstPixel));
}

// Half the core's output samples that are furthest from silence.
int32_t Loudest(const std::vector<int16_t>& sound) {
    int32_t loudest = 0;
    for (const int16_t sample : sound) loudest = std::max<int32_t>(loudest, std::abs(sample));
    return loudest;
}

// The largest step between successive samples of the core's left channel.
int32_t LargestStep(const std::vector<int16_t>& sound) {
    int32_t largest = 0;
    for (size_t i = 2; i < sound.size(); i += 2) largest = std::max<int32_t>(largest, std::abs(sound[i] - sound[i - 2]));
    return largest;
}

class PlayerControls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const auto start = std::chrono::steady_clock::now();
        movie_ = new TestMovie(MakeControlsMovie(kRecords));
        image_ = new std::vector<uint8_t>(ControlsImage(*movie_));
        screens_ = new std::vector<std::vector<uint16_t>>();
        CinepakOracle oracle(kControlsWidth, kControlsHeight);
        for (const FrameRecord& record : movie_->records)
            screens_->push_back(ExpectedScreen(oracle.Decode(record), kControlsWidth, kControlsHeight));
        // The movie played from power-on without a key: the timeline every other run is held to.
        reference_ = new Timeline;
        PlayerRun run(*image_);
        run.RunUntilPass(1);
        while (run.status().passCount == 1 && run.status().refreshCount < 4700 && !run.core().Crashed()) {
            run.Refresh();
            Observe(run, BlockCount(*movie_), *reference_);
        }
        std::printf("fixture: %.1f s\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    static void TearDownTestSuite() {
        delete movie_;
        delete image_;
        delete screens_;
        delete reference_;
    }

    void SetUp() override {
        run_ = std::make_unique<PlayerRun>(*image_);
        ASSERT_TRUE(run_->Started());
        ASSERT_TRUE(run_->RunUntilPass(1));
    }

    uint32_t Blocks() const { return BlockCount(*movie_); }

    // Refreshes, noting the timeline, until `done`; false after `limit` refreshes.
    bool RunUntil(const std::function<bool(const player_layout::PlayerStatus&)>& done, uint32_t limit) {
        for (uint32_t i = 0; i < limit; ++i) {
            run_->Refresh();
            Observe(*run_, Blocks(), timeline_);
            if (done(run_->status())) return true;
        }
        return false;
    }

    // Presses and releases `key` (one refresh held); the refreshes it took until the screen shows
    // the picture FFmpeg decodes from seek point `record` on, in a pass that starts there, at
    // most `limit`. The timeline starts anew with that pass.
    uint32_t PressUntilShown(uint32_t key, uint32_t record, uint32_t limit) {
        const std::vector<uint16_t> expected = FreshScreen(record);
        const uint32_t pass = run_->status().passCount;
        timeline_ = {};
        run_->core().PressKeys(key);
        for (uint32_t refresh = 1; refresh <= limit; ++refresh) {
            run_->Refresh();
            if (refresh == 1) run_->core().ReleaseKeys(key);
            if (run_->status().passCount == pass) continue;
            Observe(*run_, Blocks(), timeline_);
            if (run_->status().firstRecord == record && run_->status().shownRecord == record &&
                run_->core().ScreenBgr555() == expected)
                return refresh;
        }
        return limit + 1;
    }

    // FFmpeg's picture of `record`, decoded from that record on by a decoder of its own.
    std::vector<uint16_t> FreshScreen(uint32_t record) const {
        CinepakOracle oracle(kControlsWidth, kControlsHeight);
        return ExpectedScreen(oracle.Decode(movie_->records[record]), kControlsWidth, kControlsHeight);
    }

    // The seek pass that started at `record` plays on as the movie plays from power-on: the next
    // records and sound blocks come at the same distances from each other, with the same sound.
    void ExpectInStep(uint32_t record) {
        const uint32_t block = Blocks() - run_->status().audioBlocksLeft - 1;
        ASSERT_TRUE(RunUntil([&](const auto& status) { return status.shownRecord >= record + 2; }, 60));
        ASSERT_TRUE(RunUntil([&](const auto& status) { return Blocks() - status.audioBlocksLeft >= block + 4; }, 60));
        const uint32_t first = timeline_.decodedAt.begin()->first;
        EXPECT_EQ(first, seek_points::BlockOfFrame(record, kControlsFrameStep)) << "the sound of record " << record;
        for (uint32_t b = first; b < first + 3; ++b)
            EXPECT_EQ(timeline_.samples[b], reference_->samples[b]) << "block " << b << " after a seek to " << record;
        // Block `first` is decoded at refresh 1 of any pass; from the next one on they keep their pace.
        for (uint32_t r = record + 1; r <= record + 2; ++r)
            EXPECT_EQ(int64_t(timeline_.shownAt[r]) - timeline_.decodedAt[first + 1],
                      int64_t(reference_->shownAt[r]) - reference_->decodedAt[first + 1])
                << "record " << r << " against block " << first + 1 << " after a seek to " << record;
    }

    static TestMovie* movie_;
    static std::vector<uint8_t>* image_;
    static std::vector<std::vector<uint16_t>>* screens_;  // FFmpeg's decode of the whole movie
    static Timeline* reference_;
    std::unique_ptr<PlayerRun> run_;
    Timeline timeline_;
};

TestMovie* PlayerControls::movie_ = nullptr;
std::vector<uint8_t>* PlayerControls::image_ = nullptr;
std::vector<std::vector<uint16_t>>* PlayerControls::screens_ = nullptr;
Timeline* PlayerControls::reference_ = nullptr;

TEST_F(PlayerControls, TheMovieHasASeekPointEveryTwoSecondsAndPlaysAsDecoded) {
    ASSERT_EQ(seek_points::SeekInterval(kControlsFrameStep, seek_points::kSpacingRefreshes), kSeekInterval);
    for (uint32_t record = 0; record < kRecords; ++record)
        EXPECT_EQ(movie_->records[record].stripId == 0x1000, record % kSeekInterval == 0) << "record " << record;
    ASSERT_GE(reference_->shownAt.size(), 390u);
    for (uint32_t record = 0; record < 390; ++record) EXPECT_TRUE(reference_->shownAt.count(record)) << record;
}

TEST_F(PlayerControls, APauseHoldsPictureAndSilenceAndTheResumeGoesOnInStep) {
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.shownRecord == 13; }, 400));
    run_->core().TakeSound();
    run_->core().PressKeys(kKeyStart);
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.paused == 1; }, 3));
    run_->core().ReleaseKeys(kKeyStart);
    run_->core().RunRefreshes(3);  // the sound ramps down and stops
    const std::vector<int16_t> intoPause = run_->core().TakeSound();
    const player_layout::PlayerStatus held = run_->Refresh();
    const std::vector<uint16_t> pausedScreen = run_->core().ScreenBgr555();
    ASSERT_NE(held.shownRecord, kNoRecord);
    EXPECT_TRUE(ScreenOutsideBandIs(pausedScreen, (*screens_)[held.shownRecord]));
    EXPECT_FALSE(BandIs(pausedScreen, (*screens_)[held.shownRecord])) << "no hint in the band";
    for (int refresh = 0; refresh < 120; ++refresh) {
        const player_layout::PlayerStatus status = run_->Refresh();
        ASSERT_EQ(status.paused, 1u);
        ASSERT_EQ(status.shownRecord, held.shownRecord);
        ASSERT_EQ(status.refreshCount, held.refreshCount) << "the clock runs in a pause";
        ASSERT_EQ(status.framesDue, held.framesDue);
        ASSERT_EQ(status.audioBlocksLeft, held.audioBlocksLeft);
        ASSERT_EQ(run_->core().ScreenBgr555(), pausedScreen) << "the picture moved in a pause";
    }
    const std::vector<int16_t> paused = run_->core().TakeSound();
    EXPECT_LT(Loudest(paused), 64) << "the pause is not silent";

    run_->core().PressKeys(kKeyA);
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.paused == 0; }, 3));
    run_->core().ReleaseKeys(kKeyA);
    EXPECT_EQ(run_->core().ScreenBgr555(), (*screens_)[held.shownRecord]) << "the hint stays after the resume";
    // The block that was to play next rises from silence into its own samples.
    const uint32_t next = Blocks() - held.audioBlocksLeft - 1;
    const std::vector<int8_t> ramped = Buffer(run_->core(), held.fillingBuffer);
    const std::vector<int8_t>& block = reference_->samples[next];
    for (size_t i = 0; i < block.size(); ++i) {
        ASSERT_LE(std::abs(ramped[i]), std::abs(block[i])) << "sample " << i;
        ASSERT_TRUE(ramped[i] == 0 || (ramped[i] < 0) == (block[i] < 0)) << "sample " << i;
    }
    EXPECT_TRUE(std::equal(ramped.begin() + 64, ramped.end(), block.begin() + 64));
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.shownRecord == 40; }, 400));
    const std::vector<int16_t> outOfPause = run_->core().TakeSound();

    // Every record and block after the pause came when it comes without one, in the pass's clock.
    for (uint32_t record = 14; record <= 40; ++record)
        EXPECT_EQ(timeline_.shownAt[record], reference_->shownAt[record]) << "record " << record;
    for (const auto& [b, refresh] : timeline_.decodedAt) {
        EXPECT_EQ(refresh, reference_->decodedAt[b]) << "block " << b;
        EXPECT_EQ(timeline_.samples[b], reference_->samples[b]) << "block " << b;
    }
    // No click into or out of the pause: no step larger than the tone itself makes.
    const int32_t toneStep = LargestStep(std::vector<int16_t>(outOfPause.end() - 20000, outOfPause.end()));
    std::printf("largest steps: tone %d, into the pause %d, out of it %d\n", toneStep, LargestStep(intoPause),
                LargestStep(std::vector<int16_t>(outOfPause.begin(), outOfPause.begin() + 4000)));
    EXPECT_LE(LargestStep(intoPause), toneStep);
    EXPECT_LE(LargestStep(std::vector<int16_t>(outOfPause.begin(), outOfPause.begin() + 4000)), toneStep);
}

TEST_F(PlayerControls, EachSeekShowsItsSeekPointAsDecodedFromThereWithItsSoundInStep) {
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.shownRecord == 3; }, 100));
    struct Seek {
        uint32_t key;
        uint32_t record;  // the last seek point at or before where the key aims
    };
    // From 3: +10 s aims at 53; +60 s at 350; -10 s at 300; -60 s at 0; -10 s from 0 stays at 0;
    // +60 s from 0 at 300; +60 s from 300 beyond the end, which loops to the start.
    const Seek seeks[] = {{kKeyRight, 50}, {kKeyR, 350}, {kKeyLeft, 300}, {kKeyL, 0},
                          {kKeyLeft, 0},   {kKeyR, 300}, {kKeyR, 0}};
    for (const Seek& seek : seeks) {
        // The seek point's picture is the same whether decoded from there or through the movie.
        ASSERT_EQ(FreshScreen(seek.record), (*screens_)[seek.record]);
        const uint32_t refreshes = PressUntilShown(seek.key, seek.record, 10);
        std::printf("seek to record %u shown after %u refreshes\n", seek.record, refreshes);
        EXPECT_LE(refreshes, 3u) << "seek to record " << seek.record;
        EXPECT_EQ(run_->status().paused, 0u);
        ExpectInStep(seek.record);
    }
}

// Held, right seeks on 10 seconds at a time, at a steady pace after a first pause long enough
// that a press seeks once; released, it stops.
TEST_F(PlayerControls, RightHeldSeeksOnRepeatedly) {
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.shownRecord == 2; }, 100));
    run_->core().PressKeys(kKeyRight);
    std::vector<uint32_t> starts;     // the first record of each pass the key began
    std::vector<uint32_t> refreshes;  // of the hold, when it began
    uint32_t pass = run_->status().passCount;
    for (uint32_t refresh = 1; refresh <= 100; ++refresh) {
        const player_layout::PlayerStatus status = run_->Refresh();
        if (status.passCount == pass) continue;
        pass = status.passCount;
        starts.push_back(status.firstRecord);
        refreshes.push_back(refresh);
    }
    run_->core().ReleaseKeys(kKeyRight);
    ASSERT_GE(starts.size(), 4u);
    for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(starts[i], 50 * (i + 1)) << "seek " << i;
    EXPECT_GE(refreshes[1] - refreshes[0], 15u) << "a short press would seek twice";
    for (size_t i = 2; i < refreshes.size(); ++i) EXPECT_EQ(refreshes[i] - refreshes[i - 1], refreshes[2] - refreshes[1]);
    EXPECT_TRUE(run_->RunUntil([&](const auto& status) { return status.passCount != pass; }, 60) == false)
        << "the seeks go on after the release";
}

TEST_F(PlayerControls, SelectGoesBackToTheStartPlayingOrPaused) {
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.shownRecord == 25; }, 400));
    EXPECT_LE(PressUntilShown(kKeySelect, 0, 10), 3u);
    EXPECT_EQ(run_->status().paused, 0u);
    ExpectInStep(0);

    ASSERT_TRUE(RunUntil([](const auto& status) { return status.shownRecord == 12; }, 400));
    run_->core().PressKeys(kKeyStart);
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.paused == 1; }, 3));
    run_->core().ReleaseKeys(kKeyStart);
    run_->core().RunRefreshes(5);
    EXPECT_LE(PressUntilShown(kKeySelect, 0, 10), 3u);
    EXPECT_EQ(run_->status().paused, 0u) << "SELECT starts the movie over, playing";
}

TEST_F(PlayerControls, ASeekInAPauseShowsTheSeekPointAndStaysPaused) {
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.shownRecord == 12; }, 400));
    run_->core().PressKeys(kKeyStart);
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.paused == 1; }, 3));
    run_->core().ReleaseKeys(kKeyStart);
    run_->core().RunRefreshes(5);
    run_->core().PressKeys(kKeyRight);
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.firstRecord == 60 && status.shownRecord == 60; }, 4));
    run_->core().ReleaseKeys(kKeyRight);
    run_->core().TakeSound();
    run_->core().RunRefreshes(10);
    const player_layout::PlayerStatus status = run_->Refresh();
    EXPECT_EQ(status.paused, 1u);
    EXPECT_EQ(status.refreshCount, 0u);
    EXPECT_EQ(status.shownRecord, 60u);
    EXPECT_TRUE(ScreenOutsideBandIs(run_->core().ScreenBgr555(), FreshScreen(60)));
    EXPECT_FALSE(BandIs(run_->core().ScreenBgr555(), FreshScreen(60))) << "no hint in the band";
    EXPECT_LT(Loudest(run_->core().TakeSound()), 64);
}

// Plays to record 23, pauses (which keeps seek point 20), and answers the SRAM.
std::vector<uint8_t> SaveAtRecord23(PlayerRun& run) {
    run.RunUntil([](const auto& status) { return status.shownRecord == 23; }, 400);
    run.core().PressKeys(kKeyStart);
    run.RunUntil([](const auto& status) { return status.paused == 1; }, 3);
    run.core().ReleaseKeys(kKeyStart);
    run.core().RunRefreshes(2);
    return run.core().SaveMemory();
}

resume_point::ResumePoint PointIn(const std::vector<uint8_t>& sram) {
    resume_point::ResumePoint point{};
    if (sram.size() >= sizeof point) std::memcpy(&point, sram.data(), sizeof point);
    return point;
}

TEST_F(PlayerControls, TheSramKeepsThePlaceThroughAResetAndTheNextStartOffersIt) {
    const std::vector<uint8_t> sram = SaveAtRecord23(*run_);
    EXPECT_EQ(PointIn(sram).magic, resume_point::kMagic);
    EXPECT_EQ(PointIn(sram).record, 20u);

    ASSERT_TRUE(run_->Reset());
    ASSERT_TRUE(run_->RunUntil([](const auto& status) { return status.shownRecord != kNoRecord; }, 10));
    run_->core().RunRefreshes(2);
    player_layout::PlayerStatus status = run_->Refresh();
    EXPECT_EQ(status.firstRecord, 20u);
    EXPECT_EQ(status.shownRecord, 20u);
    EXPECT_EQ(status.paused, 1u) << "the saved place waits for START";
    EXPECT_TRUE(ScreenOutsideBandIs(run_->core().ScreenBgr555(), FreshScreen(20)));
    EXPECT_FALSE(BandIs(run_->core().ScreenBgr555(), FreshScreen(20))) << "no hint in the band";
    run_->core().RunRefreshes(60);
    EXPECT_EQ(run_->Refresh().refreshCount, 0u);

    timeline_ = {};
    run_->core().PressKeys(kKeyStart);
    ASSERT_TRUE(RunUntil([](const auto& status) { return status.paused == 0; }, 3));
    run_->core().ReleaseKeys(kKeyStart);
    ExpectInStep(20);

    // Once more; SELECT starts over instead, and the SRAM soon says so.
    ASSERT_TRUE(run_->Reset());
    ASSERT_TRUE(run_->RunUntil([](const auto& status) { return status.paused == 1 && status.shownRecord == 20; }, 10));
    EXPECT_LE(PressUntilShown(kKeySelect, 0, 10), 3u);
    EXPECT_EQ(run_->status().paused, 0u);
    run_->core().RunRefreshes(5);
    EXPECT_EQ(PointIn(run_->core().SaveMemory()).record, 0u);
}

TEST_F(PlayerControls, BlankDamagedOrAnotherMoviesSramStartsFromTheBeginning) {
    const std::vector<uint8_t> sram = SaveAtRecord23(*run_);
    // A power-on with `memory` in the SRAM.
    const auto startsAtTheBeginning = [](std::span<const uint8_t> image, const std::vector<uint8_t>& memory) {
        PlayerRun run(image, memory);
        if (!run.RunUntilPass(1, 10) ||
            !run.RunUntil([](const auto& status) { return status.shownRecord != kNoRecord; }, 100))
            return false;
        const player_layout::PlayerStatus status = run.Refresh();
        return status.firstRecord == 0 && status.paused == 0 && status.refreshCount > 0;
    };
    ASSERT_FALSE(startsAtTheBeginning(*image_, sram)) << "the saved place itself is not offered";
    EXPECT_TRUE(startsAtTheBeginning(*image_, {})) << "blank SRAM";
    std::vector<uint8_t> damaged = sram;
    damaged[offsetof(resume_point::ResumePoint, record)] ^= 0x01;
    EXPECT_TRUE(startsAtTheBeginning(*image_, damaged)) << "a record whose checksum fails";
    const TestMovie other = MakeControlsMovie(kRecords, 1);
    EXPECT_TRUE(startsAtTheBeginning(ControlsImage(other), sram)) << "another movie's place";
}

}  // namespace
