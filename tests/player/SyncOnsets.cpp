#include "tests/player/SyncOnsets.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "format/Handheld.h"
#include "format/PlayerLayout.h"
#include "preview/HandheldCore.h"
#include "preview/PlayerProbe.h"
#include "tests/player/TestCartridge.h"
#include "video/MovieStreamReader.h"

namespace {

constexpr double kCyclesPerSecond = 16777216.0;
constexpr double kCyclesPerSample = kCyclesPerSecond / kCoreSoundRateHz;
constexpr double kDisplayCycles = 160 * 1232;  // lines 0..159, the end of each refresh
constexpr int kWhiteLevel = 24;                // of 31, on every channel
constexpr size_t kWindowSamples = kCoreSoundRateHz / 200;  // 5 ms
constexpr size_t kQuietSamples = kCoreSoundRateHz / 50;    // 20 ms
constexpr double kLeastLoudRms = 500;  // below this the movie has no beep at all
constexpr uint32_t kSpareRefreshes = 600;

// One refresh of the core: the player's status after it, where the sound stood at its end,
// and whether its picture was a flash.
struct CoreRefresh {
    player_layout::PlayerStatus status;
    size_t soundEnd;
    bool flash;
};

bool IsFlash(const std::vector<uint16_t>& screen, int width, int height) {
    const int left = (int(handheld::kScreenWidth) - width) / 2, top = (int(handheld::kScreenHeight) - height) / 2;
    size_t white = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) {
            const uint16_t pixel = screen[size_t(y) * handheld::kScreenWidth + size_t(x)];
            white += (pixel & 31) >= kWhiteLevel && (pixel >> 5 & 31) >= kWhiteLevel && (pixel >> 10 & 31) >= kWhiteLevel;
        }
    return 2 * white >= size_t(width) * size_t(height);
}

class Recording {
public:
    std::vector<CoreRefresh> refreshes;
    std::vector<double> mono;  // the core's output from power-on, left and right averaged
    size_t firstSeen = 0;      // refresh index that shows pass 1's record 0
    size_t loopSeen = 0;       // refresh index that shows pass 2's record 0

    // Cycle at which refresh `i` (0 = the first after power-on) ends, fitted to the sound's
    // sample count: the core starts part-way through a frame, then every refresh is 280,896.
    double EndCycle(size_t i) const { return endOffset_ + double(i) * handheld::kCyclesPerRefresh; }
    double SeenCycle(size_t i) const { return EndCycle(i) - kDisplayCycles; }
    void FitClock() {
        double sum = 0;
        for (size_t i = 0; i < refreshes.size(); ++i)
            sum += double(refreshes[i].soundEnd) * kCyclesPerSample - double(i) * handheld::kCyclesPerRefresh;
        endOffset_ = sum / double(refreshes.size());
    }
    // The refresh in whose interval `cycle` lies.
    size_t RefreshAt(double cycle) const {
        const double i = std::ceil((cycle - endOffset_) / handheld::kCyclesPerRefresh);
        return size_t(std::clamp(i, 0.0, double(refreshes.size() - 1)));
    }
    SyncOnset Onset(size_t refresh, double cycle) const {
        return {refreshes[refresh].status.refreshCount, (cycle - SeenCycle(firstSeen)) * 1000 / kCyclesPerSecond};
    }

private:
    double endOffset_ = 0;
};

// Runs the core until the next pass's record 0 is seen. Empty on success, else what went wrong.
std::string Record(std::span<const uint8_t> image, size_t streamOffset, Recording& recording) {
    const MovieStreamCheck stream = ReadMovieStream(image, streamOffset);
    if (!stream.ok) return "the image holds no movie stream that reads: " + stream.error;
    const MovieStreamInfo& info = stream.info;
    if (info.frameCount == 0 || info.frameStep == 0) return "the movie stream has no frame to loop over";
    HandheldCoreLoad load = HandheldCore::Load(image);
    if (!load.core) return load.error;
    HandheldCore& core = *load.core;
    const uint64_t limit = (uint64_t(info.frameCount) + 2) * 0x10000 / info.frameStep + kSpareRefreshes;
    for (uint64_t i = 0; i < limit && !core.Crashed(); ++i) {
        core.RunRefreshes(1);
        const std::vector<int16_t> stereo = core.TakeSound();
        for (size_t s = 0; s + 1 < stereo.size(); s += 2) recording.mono.push_back((double(stereo[s]) + stereo[s + 1]) / 2);
        const player_layout::PlayerStatus status = ReadPlayerStatus(core);
        const bool flash = status.passCount == 1 && IsFlash(core.ScreenBgr555(), info.width, info.height);
        recording.refreshes.push_back({status, recording.mono.size(), flash});
        if (status.shownRecord != 0) continue;
        if (status.passCount == 1 && recording.firstSeen == 0) recording.firstSeen = recording.refreshes.size() - 1;
        if (status.passCount == 2) {
            recording.loopSeen = recording.refreshes.size() - 1;
            recording.FitClock();
            return recording.firstSeen == 0 ? "record 0 of the first pass never reached the screen" : "";
        }
    }
    return core.Crashed() ? "the core crashed" : fmt::format("the movie did not loop within {} refreshes", limit);
}

void FindFlashes(const Recording& recording, SyncOnsets& onsets) {
    for (size_t i = 1; i < recording.refreshes.size(); ++i)
        if (recording.refreshes[i].flash && !recording.refreshes[i - 1].flash)
            onsets.flashes.push_back(recording.Onset(i, recording.SeenCycle(i)));
}

// Root mean square of the samples from `first`, over one window.
double WindowRms(const std::vector<double>& mono, size_t first, size_t end) {
    const size_t last = std::min(first + kWindowSamples, end);
    double sum = 0;
    for (size_t i = first; i < last; ++i) sum += mono[i] * mono[i];
    return last > first ? std::sqrt(sum / double(last - first)) : 0;
}

// Beeps of the first pass: its sound ends where the next pass starts.
void FindBeeps(const Recording& recording, SyncOnsets& onsets) {
    const auto passEnd = std::find_if(recording.refreshes.begin(), recording.refreshes.end(),
                                      [](const CoreRefresh& refresh) { return refresh.status.passCount >= 2; });
    const size_t end = passEnd == recording.refreshes.begin() ? 0 : std::prev(passEnd)->soundEnd;
    const std::vector<double>& mono = recording.mono;
    double loudest = 0;
    for (size_t i = 0; i + kWindowSamples <= end; i += kWindowSamples / 4) loudest = std::max(loudest, WindowRms(mono, i, end));
    if (loudest < kLeastLoudRms) return;
    const double threshold = loudest / 4;
    size_t quiet = kQuietSamples;  // samples since the last loud one
    for (size_t i = 0; i < end; ++i) {
        if (std::abs(mono[i]) < threshold) {
            ++quiet;
            continue;
        }
        // A click is too short to hold the level over a window.
        if (quiet >= kQuietSamples && WindowRms(mono, i, end) >= threshold) {
            const double cycle = double(i) * kCyclesPerSample;  // the clock the refresh ends are fitted to
            onsets.beeps.push_back(recording.Onset(recording.RefreshAt(cycle), cycle));
        }
        quiet = 0;
    }
}

}  // namespace

SyncOnsets FindSyncOnsets(std::span<const uint8_t> image, std::optional<size_t> streamOffset) {
    SyncOnsets onsets;
    Recording recording;
    onsets.error = Record(image, streamOffset.value_or(PlayerRom().size()), recording);
    if (!onsets.error.empty()) return onsets;
    FindFlashes(recording, onsets);
    FindBeeps(recording, onsets);
    onsets.passMs = recording.Onset(recording.loopSeen, recording.SeenCycle(recording.loopSeen)).ms;
    return onsets;
}

std::vector<double> BeepOffsetsMs(const SyncOnsets& onsets) {
    std::vector<double> offsets;
    if (onsets.beeps.empty()) return offsets;
    for (const SyncOnset& flash : onsets.flashes) {
        const auto nearest = std::min_element(onsets.beeps.begin(), onsets.beeps.end(), [&](const SyncOnset& a, const SyncOnset& b) {
            return std::abs(a.ms - flash.ms) < std::abs(b.ms - flash.ms);
        });
        offsets.push_back(nearest->ms - flash.ms);
    }
    return offsets;
}

std::string DescribeSync(const SyncOnsets& onsets) {
    if (!onsets.error.empty()) return "no sync figures: " + onsets.error + "\n";
    std::string text = fmt::format("{} flashes, {} beeps, pass {:.1f} ms\n", onsets.flashes.size(), onsets.beeps.size(),
                                   onsets.passMs);
    const std::vector<double> offsets = BeepOffsetsMs(onsets);
    for (size_t i = 0; i < onsets.flashes.size(); ++i) {
        text += fmt::format("  flash at refresh {:4} ({:8.1f} ms)", onsets.flashes[i].refresh, onsets.flashes[i].ms);
        if (i < offsets.size()) text += fmt::format("  beep {:+6.1f} ms", offsets[i]);
        text += "\n";
    }
    for (const SyncOnset& beep : onsets.beeps) text += fmt::format("  beep at refresh {:4} ({:8.1f} ms)\n", beep.refresh, beep.ms);
    return text;
}
