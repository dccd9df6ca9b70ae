#include "cli/PreviewRun.h"

#include <fmt/format.h>

#include <cmath>
#include <cstdlib>

#include "cli/PngWriter.h"
#include "cli/WavWriter.h"
#include "format/Handheld.h"
#include "preview/HandheldCore.h"
#include "preview/PlayerProbe.h"
#include "video/ScreenModel.h"

namespace {

class SoundMeter {
public:
    void Add(std::span<const int16_t> samples) {
        for (int16_t sample : samples) {
            peak_ = std::max(peak_, std::abs(int(sample)));
            energy_ += double(sample) * sample;
        }
        count_ += samples.size();
    }
    int Peak() const { return peak_; }
    double Rms() const { return count_ ? std::sqrt(energy_ / double(count_)) : 0; }
    uint64_t Frames() const { return count_ / 2; }

private:
    int peak_ = 0;
    double energy_ = 0;
    uint64_t count_ = 0;
};

// Follows the status block from refresh to refresh: a new (pass, record) pair on the
// screen is a newly shown frame. Before the first pass the block is not written yet.
class ShownFrames {
public:
    bool Update(const player_layout::PlayerStatus& status) {
        if (status.passCount == 0) return false;
        if (status.passCount != pass_) {
            lateBefore_ += late_;
            late_ = 0;
            pass_ = status.passCount;
            record_ = player_layout::kNoRecord;
        }
        late_ = status.lateFrames;
        if (status.shownRecord == record_ || status.shownRecord == player_layout::kNoRecord) return false;
        record_ = status.shownRecord;
        ++shown_;
        return true;
    }
    uint32_t Pass() const { return pass_; }
    uint32_t Record() const { return record_; }
    uint32_t Shown() const { return shown_; }
    uint32_t Late() const { return lateBefore_ + late_; }

private:
    uint32_t pass_ = 0;
    uint32_t record_ = player_layout::kNoRecord;
    uint32_t shown_ = 0;
    uint32_t late_ = 0;
    uint32_t lateBefore_ = 0;
};

// The core's screen as the chosen screen would show it.
RgbPicture ShownScreen(const HandheldCore& core, Screen screen) {
    RgbPicture picture{handheld::kScreenWidth, handheld::kScreenHeight, core.ScreenRgb24()};
    ShowThroughScreen(screen, picture.rgb);
    return picture;
}

// Tile i shows the screen after refresh (i + 1) x refreshes / tiles.
std::vector<uint32_t> TileRefreshes(uint32_t refreshes, int tiles) {
    std::vector<uint32_t> at;
    for (int i = 0; i < tiles; ++i) {
        const uint32_t refresh = uint32_t(uint64_t(i + 1) * refreshes / uint32_t(tiles));
        if (refresh > 0 && (at.empty() || refresh > at.back())) at.push_back(refresh);
    }
    return at;
}

}  // namespace

PreviewResult RunPreview(HandheldCore& core, const PreviewPlan& plan) {
    PreviewResult result;
    result.tileRefreshes = TileRefreshes(plan.refreshes, plan.tiles);
    SoundMeter meter;
    ShownFrames frames;
    size_t nextTile = 0;
    for (uint32_t refresh = 1; refresh <= plan.refreshes && !core.Crashed(); ++refresh) {
        core.RunRefreshes(1);
        const std::vector<int16_t> sound = core.TakeSound();
        meter.Add(sound);
        if (plan.sound) result.error = plan.sound->Append(sound);
        if (frames.Update(ReadPlayerStatus(core)) && !plan.framesFolder.empty() && result.error.empty()) {
            const auto path = plan.framesFolder / fmt::format("pass{:03}-frame{:05}.png", frames.Pass(), frames.Record());
            const RgbPicture shown = ShownScreen(core, plan.screen);
            result.error = WritePng(path.string(), shown.width, shown.height, shown.rgb);
            if (result.error.empty()) ++result.framesWritten;
        }
        if (!result.error.empty()) break;
        if (nextTile < result.tileRefreshes.size() && refresh == result.tileRefreshes[nextTile]) {
            result.tiles.push_back(ShownScreen(core, plan.screen));
            ++nextTile;
        }
        if (plan.progress) plan.progress(refresh);
    }
    result.tileRefreshes.resize(result.tiles.size());
    result.passesStarted = frames.Pass();
    result.framesShown = frames.Shown();
    result.lateFrames = frames.Late();
    result.soundFrames = meter.Frames();
    result.soundPeak = meter.Peak();
    result.soundRms = meter.Rms();
    result.crashed = core.Crashed();
    return result;
}
