#pragma once
// Makes a conversion's pictures for the screen they will be seen on: the values that drive
// that screen to the light a monitor gives the movie's values, with the user's brightness,
// gamma and saturation on top. Every table is worked out once per conversion; a pixel then
// costs look-ups and integer arithmetic only.
#include <array>
#include <cstdint>
#include <vector>

#include "video/ScreenAdjustment.h"

class ScreenCorrection {
public:
    explicit ScreenCorrection(const ScreenAdjustment& adjustment);

    // One pixel's channel values, 0..255 in the frame's byte order (blue, green, red), become
    // the values that drive the screen (0..255, in steps of 1/16).
    void Correct(std::array<double, 3>& bgr) const;

private:
    uint16_t DriveOf(int64_t light) const;

    std::vector<int32_t> light_;                          // by value in quarter steps
    std::array<std::array<int32_t, 3>, 3> matrix_{};      // blue, green, red; 12 fraction bits
    std::vector<uint16_t> darkDrive_, brightDrive_;       // by light, fine and coarse steps
};
