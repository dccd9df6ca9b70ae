#pragma once
// What a conversion does to its pictures for the screen they will be seen on: which screen,
// and the user's own brightness, gamma and saturation on top. The default leaves the
// pictures exactly as they are.
#include <cstdint>

enum class Screen : uint8_t {
    Standard,  // a backlit screen close to a computer monitor's: the pictures as they are
    Gba,       // the first handheld's unlit reflective screen
    Sp,        // the first SP's front-lit screen
};

struct ScreenAdjustment {
    Screen screen = Screen::Standard;
    // Each -100..100; 0 leaves the picture. Brightness +100 doubles the light, -100 halves it;
    // gamma +100 halves the exponent of the light (brighter mid-tones), -100 doubles it;
    // saturation -100 gives grey, +100 doubles the distance from grey.
    int32_t brightness = 0;
    int32_t gamma = 0;
    int32_t saturation = 0;

    bool LeavesPictures() const { return screen == Screen::Standard && brightness == 0 && gamma == 0 && saturation == 0; }
};
