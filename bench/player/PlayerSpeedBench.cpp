// The player's worst case on the handheld's own timing, counted in emulated CPU cycles:
// 240 x 160 at 30 frames per second of noise, 300 frames. Prints how many frames came late
// and the decode cycles per frame as a fraction of one refresh (280,896 cycles), with and
// without the controls.
#include <algorithm>
#include <cstdio>
#include <set>
#include <stdexcept>
#include <vector>

#include "format/Cinepak.h"
#include "format/Handheld.h"
#include "format/PlayerOptions.h"
#include "format/SeekPoints.h"
#include "tests/player/OurCinepakRecords.h"
#include "tests/player/PlayerRun.h"
#include "tests/player/StripBuilder.h"
#include "tests/player/TestCartridge.h"
#include "tests/player/TestPictures.h"

namespace {

using player_layout::kNoRecord;

constexpr uint32_t kFrameStep = 32917;  // 30 frames per second
constexpr int kFrames = 300;
constexpr uint32_t kWAITCNT = 0x04000204;

struct Figures {
    size_t framesDecoded = 0;
    uint32_t lateByPlayer = 0;        // the player's own count
    size_t lateObserved = 0;          // records not on the screen at the refresh they were due
    std::vector<uint32_t> decodeCycles;
    uint16_t waitcnt = 0;
    uint64_t streamBytes = 0;
};

Figures Measure(const TestMovie& movie, const player_options::PlayerOptions& options = player_options::Off()) {
    Figures figures;
    const std::vector<uint8_t> stream = WriteMovieStream(movie);
    figures.streamBytes = stream.size();
    PlayerRun run(CartridgeImage(stream, options));
    if (!run.RunUntilPass(1)) throw std::runtime_error("the player never started a pass");
    uint32_t lastDecoded = kNoRecord;
    std::set<uint32_t> late;
    // Each record's figures stay in the status for at least a refresh (decoding one takes
    // longer than that), so one look per refresh, the pass start included, sees them all.
    for (const player_layout::PlayerStatus* status = &run.status(); status->passCount == 1 && !run.core().Crashed();
         status = &run.Refresh()) {
        if (status->decodedRecord != kNoRecord && status->decodedRecord != lastDecoded) {
            figures.decodeCycles.push_back(status->decodeCycles);
            lastDecoded = status->decodedRecord;
        }
        const uint64_t due = uint64_t(status->refreshCount) * movie.frameStep / 0x10000;
        if (due >= 1 && due <= movie.records.size() && status->shownRecord != due - 1) late.insert(uint32_t(due - 1));
        figures.lateByPlayer = std::max(figures.lateByPlayer, status->lateFrames);
        figures.waitcnt = run.core().Read16(kWAITCNT);
    }
    figures.framesDecoded = figures.decodeCycles.size();
    figures.lateObserved = late.size();
    return figures;
}

void Print(const char* name, const TestMovie& movie, Figures figures) {
    std::sort(figures.decodeCycles.begin(), figures.decodeCycles.end());
    const auto fraction = [](uint32_t cycles) { return double(cycles) / handheld::kCyclesPerRefresh; };
    const double seconds = double(movie.records.size()) * 0x10000 / kFrameStep / handheld::kRefreshHz;
    std::printf("%s\n", name);
    std::printf("  stream            %llu bytes, %.0f KB/s\n", (unsigned long long)figures.streamBytes,
                figures.streamBytes / 1024.0 / seconds);
    std::printf("  WAITCNT           0x%04X\n", figures.waitcnt);
    std::printf("  frames decoded    %zu of %zu\n", figures.framesDecoded, movie.records.size());
    std::printf("  frames late       %zu observed, %u by the player's count (target 0)\n", figures.lateObserved,
                figures.lateByPlayer);
    if (figures.decodeCycles.empty()) return;
    const uint32_t low = figures.decodeCycles.front(), high = figures.decodeCycles.back();
    const uint32_t median = figures.decodeCycles[figures.decodeCycles.size() / 2];
    std::printf("  decode cycles     min %u (%.3f), median %u (%.3f), max %u (%.3f) of a refresh\n", low, fraction(low),
                median, fraction(median), high, fraction(high));
}

TestMovie Movie(std::vector<FrameRecord> records) {
    TestMovie movie;
    movie.frameStep = kFrameStep;
    movie.records = std::move(records);
    movie.adpcm = ToneAdpcm(uint32_t((movie.records.size() + 1) * 0x10000 / kFrameStep));
    return movie;
}

// Noise through our Cinepak compressor at 500 KB/s: 500 x 1024 bytes over 30 frames a second,
// the movie encoder's average frame budget.
std::vector<FrameRecord> EncodedNoise() {
    constexpr uint32_t kFrameBytes = 500 * 1024 / 30;
    std::vector<std::vector<uint8_t>> pictures;
    for (int i = 0; i < kFrames; ++i) pictures.push_back(NoisePicture(240, 160, uint32_t(i + 1)));
    return EncodeWithOurCinepak(pictures, 240, 160, kFrameBytes);
}

// The most work a record can ask for: both codebooks replaced in full and every block V4.
std::vector<FrameRecord> MostWorkRecords() {
    std::vector<FrameRecord> records;
    for (int i = 0; i < kFrames; ++i) {
        const std::vector<uint8_t> noise = NoisePicture(240, 160, uint32_t(1000 + i));
        std::vector<CodebookEntry> entries(256);
        for (size_t e = 0; e < entries.size(); ++e)
            for (size_t k = 0; k < 6; ++k) {
                const uint8_t byte = noise[e * 6 + k];
                if (k < 4) entries[e].y[k] = byte;
                else (k == 4 ? entries[e].u : entries[e].v) = int8_t(byte);
            }
        std::vector<BlockCode> blocks(60 * 40);
        for (size_t b = 0; b < blocks.size(); ++b) {
            blocks[b].kind = BlockCode::kV4;
            for (size_t k = 0; k < 4; ++k) blocks[b].index[k] = noise[2000 + b * 4 + k];
        }
        StripBuilder strip;
        strip.FullCodebook(0x20, entries);
        strip.FullCodebook(0x22, entries);
        strip.IntraVectors(blocks);
        records.push_back(strip.Finish(cinepak::kIntraStripId));
    }
    return records;
}

}  // namespace

int main() {
    try {
        std::printf("240 x 160 at 30 fps (frame step %u), %d frames, power-on cartridge wait states\n\n", kFrameStep,
                    kFrames);
        const TestMovie mostWork = Movie(MostWorkRecords());
        Print("full codebooks and all-V4 blocks in every record (decode upper bound)", mostWork, Measure(mostWork));
        // Every record is intra, so every 60th is a seek point the player keeps in SRAM as it passes.
        Print("the same with the controls on (seek points every 2 s)", mostWork,
              Measure(mostWork, player_options::WithControls(seek_points::kSpacingRefreshes)));
        const TestMovie noise = Movie(EncodedNoise());
        Print("noise at 500 KB/s, our Cinepak compressor", noise, Measure(noise));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "player_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
