#include "bench/cinepak/PictureQuality.h"

#include <cassert>

namespace cinepak_bench {

namespace {

constexpr int kWindow = 8;
constexpr int kStride = 4;
// The usual constants for 8-bit samples: (0.01 x 255)^2 and (0.03 x 255)^2.
constexpr double kC1 = 6.5025;
constexpr double kC2 = 58.5225;

double WindowSsim(std::span<const uint8_t> a, std::span<const uint8_t> b, int width, int left, int top, int channel) {
    double sumA = 0, sumB = 0, sumAA = 0, sumBB = 0, sumAB = 0;
    for (int y = top; y < top + kWindow; ++y)
        for (int x = left; x < left + kWindow; ++x) {
            const size_t at = (size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(channel);
            const double va = a[at], vb = b[at];
            sumA += va;
            sumB += vb;
            sumAA += va * va;
            sumBB += vb * vb;
            sumAB += va * vb;
        }
    constexpr double n = kWindow * kWindow;
    const double meanA = sumA / n, meanB = sumB / n;
    const double varA = sumAA / n - meanA * meanA, varB = sumBB / n - meanB * meanB;
    const double covariance = sumAB / n - meanA * meanB;
    return (2 * meanA * meanB + kC1) * (2 * covariance + kC2) /
           ((meanA * meanA + meanB * meanB + kC1) * (varA + varB + kC2));
}

}  // namespace

double Ssim(std::span<const uint8_t> a, std::span<const uint8_t> b, int width, int height) {
    assert(a.size() == b.size() && a.size() == size_t(width) * size_t(height) * 3);
    double sum = 0;
    int windows = 0;
    for (int top = 0; top + kWindow <= height; top += kStride)
        for (int left = 0; left + kWindow <= width; left += kStride)
            for (int channel = 0; channel < 3; ++channel) {
                sum += WindowSsim(a, b, width, left, top, channel);
                ++windows;
            }
    return windows == 0 ? 1 : sum / windows;
}

}  // namespace cinepak_bench
