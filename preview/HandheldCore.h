#pragma once
// A cartridge image running headless on the mGBA core: whole display refreshes on demand,
// and the screen, the sound output and the memory as the handheld has them.
// Only preview/ includes libmgba; this header keeps its types out.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "format/Handheld.h"

inline constexpr int kCoreSoundRateHz = 32768;  // the rate the core's blip buffers are read at

// KEYINPUT bits: 0 = A ... 9 = L.
enum HandheldKey : uint32_t {
    kKeyA = 1u << 0,
    kKeyB = 1u << 1,
    kKeySelect = 1u << 2,
    kKeyStart = 1u << 3,
    kKeyRight = 1u << 4,
    kKeyLeft = 1u << 5,
    kKeyUp = 1u << 6,
    kKeyDown = 1u << 7,
    kKeyR = 1u << 8,
    kKeyL = 1u << 9,
};

class HandheldCore;

struct HandheldCoreLoad {
    std::unique_ptr<HandheldCore> core;  // null when the image could not be loaded
    std::string error;
};

class HandheldCore {
public:
    // Starts a core on a copy of `image`, as at power-on, with fixed settings (no BIOS file,
    // no idle-loop skipping, full sound volume) that no user configuration file can change.
    // `saveMemory` is what the cartridge's battery-backed memory holds, as from a save file
    // (none: blank).
    static HandheldCoreLoad Load(std::span<const uint8_t> image, std::span<const uint8_t> saveMemory = {});
    ~HandheldCore();
    HandheldCore(const HandheldCore&) = delete;
    HandheldCore& operator=(const HandheldCore&) = delete;

    // Runs `count` whole display refreshes; each ends at the start of the next v-blank.
    // The sound they produce is kept until TakeSound.
    void RunRefreshes(uint32_t count);
    // Refreshes completed since power-on.
    uint32_t RefreshCount() const;
    // True once the core has stopped on an undefined instruction or a jump into nowhere.
    bool Crashed() const;

    // The last completed refresh, the whole screen, top row first, as 15-bit BGR555
    // (bits 0-4 red, 5-9 green, 10-14 blue).
    std::vector<uint16_t> ScreenBgr555() const;
    // The same picture as 8-bit R, G, B bytes, as the core expands it for a display.
    std::vector<uint8_t> ScreenRgb24() const;

    // Sound produced since the last call: interleaved left, right, 16-bit, at kCoreSoundRateHz.
    std::vector<int16_t> TakeSound();

    // Bus reads as the CPU sees them, at any address.
    uint8_t Read8(uint32_t address) const;
    uint16_t Read16(uint32_t address) const;
    std::vector<uint8_t> ReadBytes(uint32_t address, size_t count) const;

    // Keys held down from now on (HandheldKey bits), until released.
    void PressKeys(uint32_t keys);
    void ReleaseKeys(uint32_t keys);

    // The reset button: the program starts again from power-on; the cartridge's battery-backed
    // memory keeps what it holds.
    void Reset();
    // The cartridge's battery-backed memory; empty until the program has used it.
    std::vector<uint8_t> SaveMemory() const;

private:
    struct State;
    explicit HandheldCore(std::unique_ptr<State> state);
    void CollectSound();

    std::unique_ptr<State> state_;
};
