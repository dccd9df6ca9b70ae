#include "tests/player/PlayerRun.h"

#include <fmt/format.h>

#include "format/Handheld.h"
#include "preview/PlayerProbe.h"
#include "tests/player/TestCartridge.h"

PlayerRun::PlayerRun(std::span<const uint8_t> image, std::span<const uint8_t> saveMemory)
    : core_(StartCore(image, saveMemory)) {}

const player_layout::PlayerStatus& PlayerRun::Refresh() {
    core_->RunRefreshes(1);
    status_ = ReadPlayerStatus(*core_);
    return status_;
}

bool PlayerRun::RunUntil(const std::function<bool(const player_layout::PlayerStatus&)>& done, uint32_t limit) {
    for (uint32_t i = 0; i < limit && !core_->Crashed(); ++i)
        if (done(Refresh())) return true;
    return false;
}

bool PlayerRun::RunUntilPass(uint32_t pass, uint32_t limit) {
    return RunUntil([pass](const player_layout::PlayerStatus& status) { return status.passCount >= pass; }, limit);
}

bool PlayerRun::Reset(uint32_t limit) {
    core_->Reset();
    // Start-up clears the status block within the first refresh, so that the one after it is
    // not the last run's.
    Refresh();
    return RunUntilPass(1, limit);
}

std::vector<uint16_t> ExpectedScreen(std::span<const uint8_t> rgb, int width, int height) {
    std::vector<uint16_t> screen(size_t(handheld::kScreenWidth) * handheld::kScreenHeight, 0);
    const int left = (int(handheld::kScreenWidth) - width) / 2;
    const int top = (int(handheld::kScreenHeight) - height) / 2;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = &rgb[(size_t(y) * width + x) * 3];
            screen[size_t(top + y) * handheld::kScreenWidth + size_t(left + x)] =
                uint16_t(pixel[0] >> 3 | (pixel[1] >> 3) << 5 | (pixel[2] >> 3) << 10);
        }
    }
    return screen;
}

std::string ScreenDifference(std::span<const uint16_t> screen, std::span<const uint16_t> expected) {
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < screen.size(); ++i) {
        if (screen[i] == expected[i]) continue;
        if (differing++ == 0) first = i;
    }
    if (differing == 0) return {};
    return fmt::format("{} pixels differ; first at x {} y {}: screen 0x{:04X}, expected 0x{:04X}", differing,
                       first % handheld::kScreenWidth, first / handheld::kScreenWidth, screen[first], expected[first]);
}
