#include "cinepak/RateSlope.h"

#include <algorithm>
#include <cmath>

namespace cinepak {

namespace {

// Trials on panned and film-like clips from 12 to 80 KB/s; each value's neighbours (half and
// twice as much) came within 0.1 dB.
// Savings kept for the next cut, in average frames, and the share of the savings beyond them
// that one frame aims to spend.
constexpr double kReserveFrames = 2;
constexpr double kSpend = 0.1;
// How far below and above the slope a frame's trade-off may lie while it aims at its size.
constexpr double kBand = 2;
// Weight of each frame in the slope, in logarithms, and the most (log2) one frame moves it.
constexpr double kFollow = 0.3;
constexpr double kMostMove = 1;

}  // namespace

RateSlope::RateSlope(uint32_t averageFrameBytes) : average_(averageFrameBytes) {}

RateSlope::Band RateSlope::For(uint32_t desiredBytes) const {
    if (average_ == 0 || slope_ == 0) return {desiredBytes};
    const double savings = double(desiredBytes) - average_;
    const double aim = average_ + kSpend * (savings - kReserveFrames * average_);
    return {uint32_t(std::clamp(aim, 0.0, double(desiredBytes))), slope_ / kBand, slope_ * kBand};
}

void RateSlope::Record(double aimLambda) {
    if (average_ == 0 || aimLambda == 0) return;
    if (slope_ == 0) {
        if (std::isfinite(aimLambda)) slope_ = aimLambda;
        return;
    }
    const double move = std::isinf(aimLambda) ? kMostMove : std::clamp(std::log2(aimLambda / slope_), -kMostMove, kMostMove);
    slope_ *= std::exp2(kFollow * move);
}

}  // namespace cinepak
