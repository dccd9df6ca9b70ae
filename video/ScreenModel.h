#pragma once
// How the handheld's screens show the values they are driven with: each channel's response
// (a power of the drive) and the mixing of the channels' light into one another. Used to make
// pictures for a screen (video/ScreenCorrection.h) and to show a picture as a screen would.
#include <array>
#include <cstdint>
#include <span>

#include "video/ScreenAdjustment.h"

// The gamma a computer monitor (sRGB, nearly) shows its values with; the movie is made for it.
inline constexpr double kMonitorGamma = 2.2;

struct ScreenResponse {
    double gamma = kMonitorGamma;  // a channel's light is its drive (0..1) to this power
    // Light of the red, green and blue sub-pixels (rows) from the light each channel is driven
    // to (columns); every row sums to 1, so white stays white.
    std::array<std::array<double, 3>, 3> mixing{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
};

const ScreenResponse& ResponseOf(Screen screen);

// Linear light (0..1 a channel, red, green, blue) that the screen gives for drive values
// 0..255 in the same order.
std::array<double, 3> ScreenLight(Screen screen, std::array<double, 3> rgbDrive);

// Replaces 8-bit R, G, B pixels by the values a monitor shows the screen's light with, so that
// the picture looks on the monitor as the screen would show it. Standard leaves them.
void ShowThroughScreen(Screen screen, std::span<uint8_t> rgb);
