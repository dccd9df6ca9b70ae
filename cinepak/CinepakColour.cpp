#include "cinepak/CinepakColour.h"

#include <algorithm>

namespace cinepak {

namespace {

uint8_t Clamp255(int value) { return uint8_t(std::clamp(value, 0, 255)); }

// Division rounded to nearest, halves away from zero; divisor > 0.
int64_t RoundDiv(int64_t numerator, int64_t divisor) {
    return numerator >= 0 ? (numerator + divisor / 2) / divisor : -((-numerator + divisor / 2) / divisor);
}

struct ChromaSums {
    int32_t u = 0;  // sum of 3B - 2G - R
    int32_t v = 0;  // sum of 5R - 4G - B
};

ChromaSums SumChroma(const uint8_t* rgb, int pixels) {
    ChromaSums sums;
    for (int p = 0; p < pixels; ++p) {
        const int r = rgb[3 * p], g = rgb[3 * p + 1], b = rgb[3 * p + 2];
        sums.u += 3 * b - 2 * g - r;
        sums.v += 5 * r - 4 * g - b;
    }
    return sums;
}

int ChannelSum(const uint8_t* pixel) { return pixel[0] + pixel[1] + pixel[2]; }

}  // namespace

EntryPixels DecodeEntry(const CodebookEntry& entry) {
    EntryPixels pixels;
    const int u = entry.u, v = entry.v;
    for (int k = 0; k < 4; ++k) {
        const int y = entry.y[k];
        pixels[3 * k] = Clamp255(y + 2 * v);
        pixels[3 * k + 1] = Clamp255(y - u / 2 - v);
        pixels[3 * k + 2] = Clamp255(y + 2 * u);
    }
    return pixels;
}

// Least squares over the 4 pixels: u = sum(3B - 2G - R) / 28, v = sum(5R - 4G - B) / 56.
VqVector AreaVector(const uint8_t* rgb12) {
    VqVector vector;
    for (int k = 0; k < 4; ++k) vector.c[k] = int16_t(2 * ChannelSum(rgb12 + 3 * k));
    const ChromaSums chroma = SumChroma(rgb12, 4);
    vector.c[4] = int16_t(RoundDiv(3 * chroma.u, 14));
    vector.c[5] = int16_t(RoundDiv(3 * chroma.v, 28));
    return vector;
}

// Each luma value covers one area (its mean); the chroma is the least squares over 16 pixels.
VqVector BlockVector(const uint8_t* rgb48) {
    VqVector vector;
    for (int k = 0; k < 4; ++k) {
        const uint8_t* area = rgb48 + 12 * k;
        const int sum = ChannelSum(area) + ChannelSum(area + 3) + ChannelSum(area + 6) + ChannelSum(area + 9);
        vector.c[k] = int16_t(RoundDiv(sum, 2));
    }
    const ChromaSums chroma = SumChroma(rgb48, 16);
    vector.c[4] = int16_t(RoundDiv(3 * chroma.u, 56));
    vector.c[5] = int16_t(RoundDiv(3 * chroma.v, 112));
    return vector;
}

VqVector VectorOfEntry(const CodebookEntry& entry) {
    VqVector vector;
    const int chroma = 3 * entry.u + 2 * entry.v;
    for (int k = 0; k < 4; ++k) vector.c[k] = int16_t(6 * entry.y[k] + chroma);
    vector.c[4] = int16_t(6 * entry.u);
    vector.c[5] = int16_t(6 * entry.v);
    return vector;
}

CodebookEntry EntryFromSums(const VqSums& sums) {
    CodebookEntry entry;
    const int64_t scale = 6 * sums.count;
    entry.u = int8_t(std::clamp<int64_t>(RoundDiv(sums.sum[4], scale), -128, 127));
    entry.v = int8_t(std::clamp<int64_t>(RoundDiv(sums.sum[5], scale), -128, 127));
    const int64_t chroma = (3 * entry.u + 2 * entry.v) * sums.count;
    for (int k = 0; k < 4; ++k)
        entry.y[k] = uint8_t(std::clamp<int64_t>(RoundDiv(sums.sum[k] - chroma, scale), 0, 255));
    return entry;
}

}  // namespace cinepak
