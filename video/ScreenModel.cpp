#include "video/ScreenModel.h"

#include <algorithm>
#include <cmath>

namespace {

// The unlit screen as Pokefan531's "GBA Color" shader models it (the colour correction the
// libretro shader collection and mGBA carry): its drive decoded with gamma 2.2 plus 0.5 to
// darken the screen, then R' = .82R + .24G - .06B, G' = .125R + .665G + .21B,
// B' = .195R + .075G + .73B. The shader's luminance factor 0.94 is left out, so that white
// stays white. (higan's and ares' older model, lcd gamma 4.0 and rows 255R + 50G,
// 10R + 230G + 30B, 50R + 10G + 220B over 255, is the other published one.)
constexpr ScreenResponse kUnlitScreen{
    2.7, {{{0.82, 0.24, -0.06}, {0.125, 0.665, 0.21}, {0.195, 0.075, 0.73}}}};
// No model of the front-lit SP's panel is published: the same mixing, lit as a monitor is.
constexpr ScreenResponse kFrontLitScreen{kMonitorGamma, kUnlitScreen.mixing};
constexpr ScreenResponse kMonitor{};

uint8_t MonitorValue(double light) {
    const double value = std::pow(std::clamp(light, 0.0, 1.0), 1.0 / kMonitorGamma) * 255.0 + 0.5;
    return uint8_t(value);
}

}  // namespace

const ScreenResponse& ResponseOf(Screen screen) {
    switch (screen) {
    case Screen::Gba: return kUnlitScreen;
    case Screen::Sp: return kFrontLitScreen;
    case Screen::Standard: break;
    }
    return kMonitor;
}

std::array<double, 3> ScreenLight(Screen screen, std::array<double, 3> rgbDrive) {
    const ScreenResponse& response = ResponseOf(screen);
    std::array<double, 3> driven{};
    for (size_t k = 0; k < 3; ++k) driven[k] = std::pow(rgbDrive[k] / 255.0, response.gamma);
    std::array<double, 3> light{};
    for (size_t row = 0; row < 3; ++row)
        for (size_t k = 0; k < 3; ++k) light[row] += response.mixing[row][k] * driven[k];
    return light;
}

void ShowThroughScreen(Screen screen, std::span<uint8_t> rgb) {
    if (screen == Screen::Standard) return;
    const ScreenResponse& response = ResponseOf(screen);
    // A picture of many frames: each drive value's light is worked out once.
    std::array<double, 256> driven{};
    for (size_t value = 0; value < driven.size(); ++value) driven[value] = std::pow(value / 255.0, response.gamma);
    for (size_t at = 0; at + 3 <= rgb.size(); at += 3) {
        const std::array<double, 3> pixel{driven[rgb[at]], driven[rgb[at + 1]], driven[rgb[at + 2]]};
        for (size_t row = 0; row < 3; ++row) {
            const auto& mix = response.mixing[row];
            rgb[at + row] = MonitorValue(mix[0] * pixel[0] + mix[1] * pixel[1] + mix[2] * pixel[2]);
        }
    }
}
