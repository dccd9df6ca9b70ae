#pragma once
// A cartridge image running on the core, refresh by refresh, with the player's status block
// read after each one.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "format/PlayerLayout.h"
#include "preview/HandheldCore.h"

class PlayerRun {
public:
    // The core runs `image` from power-on, with `saveMemory` in its SRAM (none: blank).
    explicit PlayerRun(std::span<const uint8_t> image, std::span<const uint8_t> saveMemory = {});

    bool Started() const { return core_ != nullptr; }
    HandheldCore& core() { return *core_; }
    const player_layout::PlayerStatus& status() const { return status_; }

    // Runs one display refresh; it ends as the next v-blank begins, before the player's
    // v-blank work, so the screen holds what the refresh displayed.
    const player_layout::PlayerStatus& Refresh();
    // Refreshes until `done(status)` holds; false after `limit` refreshes or a crash.
    bool RunUntil(const std::function<bool(const player_layout::PlayerStatus&)>& done, uint32_t limit);
    // Refreshes until the status shows pass `pass` (1 = the first).
    bool RunUntilPass(uint32_t pass, uint32_t limit = 600);
    // Presses the reset button and refreshes until the player has begun its first pass again;
    // false if it does not within `limit` refreshes.
    bool Reset(uint32_t limit = 100);

private:
    std::unique_ptr<HandheldCore> core_;
    player_layout::PlayerStatus status_{};
};

// The screen the handheld should show for a decoded picture: each channel reduced to 5 bits,
// the picture centred on black.
std::vector<uint16_t> ExpectedScreen(std::span<const uint8_t> rgb, int width, int height);

// Empty when equal; otherwise the number of differing pixels and the first of them.
std::string ScreenDifference(std::span<const uint16_t> screen, std::span<const uint16_t> expected);
