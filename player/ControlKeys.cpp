#include "player/ControlKeys.h"

#include "player/hw/Registers.h"

namespace {

// A held right or left repeats after half a second, then five times a second: 50 seconds of
// movie a second, and each seek point still shows for a few refreshes.
constexpr uint32_t kRepeatDelayRefreshes = 30;
constexpr uint32_t kRepeatPeriodRefreshes = 12;
constexpr uint16_t kRepeatingKeys = hw::KEY_RIGHT | hw::KEY_LEFT;

struct KeyWatch {
    uint16_t held;     // keys down at the last v-blank
    uint16_t presses;  // noted and not taken yet
    uint32_t untilRepeat;  // v-blanks until the repeating keys held as they are repeat
};

KeyWatch gWatch;

uint16_t KeysDown() {
    return static_cast<uint16_t>(~hw::KEYINPUT & hw::kKeyMask);
}

}  // namespace

void StartWatchingKeys() {
    gWatch = {KeysDown(), 0, kRepeatDelayRefreshes};
}

void WatchControlKeys() {
    const uint16_t down = KeysDown();
    uint16_t pressed = down & ~gWatch.held;
    const uint16_t repeating = down & kRepeatingKeys;
    if (repeating == 0 || repeating != (gWatch.held & kRepeatingKeys)) {
        gWatch.untilRepeat = kRepeatDelayRefreshes;
    } else if (--gWatch.untilRepeat == 0) {
        pressed |= repeating;
        gWatch.untilRepeat = kRepeatPeriodRefreshes;
    }
    gWatch.held = down;
    gWatch.presses |= pressed;
}

uint16_t TakeKeyPresses(uint16_t keep) {
    const uint16_t presses = gWatch.presses;
    gWatch.presses = presses & keep;
    return presses & ~keep;
}
