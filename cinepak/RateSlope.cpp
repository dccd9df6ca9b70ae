#include "cinepak/RateSlope.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace cinepak {

namespace {

// Trials on panned and film-like clips from 12 to 80 KB/s; neighbouring values (half and
// twice as much) came within 0.1 dB, except the reserve: 2 frames lost 0.2 dB on film, where
// fades and cuts want many frames' worth.
// Savings kept for the next cut or fade, in average frames; over the last frames of a stream of
// known length the reserve shrinks to nothing, so that the stream ends having spent its bytes.
constexpr double kReserveFrames = 6;
constexpr double kEndingFrames = 40;
// The share of the savings beyond the reserve that one frame aims to spend, or, near the end,
// what spends them evenly over the frames left if that is more.
constexpr double kSpend = 0.1;
// How far below and above the slope a frame's trade-off may lie while it aims at its size.
constexpr double kBand = 2;
// Weight of each frame in the slope, in logarithms, and the most (log2) one frame moves it up
// and down: it falls faster than it rises, so that the frames after a hard stretch do not stay
// starved (+0.04 dB on film, -0.15 on the panned clip, whose last and hardest shot finds its
// savings spent).
constexpr double kFollow = 0.3;
constexpr double kMostRise = 1;
constexpr double kMostFall = 3;
// A frame's trade-off goes with its error to this power: -0.3 gained 0.02 dB on film; -0.6 and
// +0.3 (what equal quality in decibels would ask for) lost 0.02 and 0.10.
constexpr double kErrorPower = -0.3;

}  // namespace

RateSlope::RateSlope(const StreamRate& rate, size_t samples)
    : average_(rate.averageFrameBytes), frames_(rate.frames), leastError_(double(samples)) {}

double RateSlope::Hardness(double error) const { return std::pow(std::max(error, leastError_), kErrorPower); }

uint32_t RateSlope::Aim(uint32_t desiredBytes) const {
    if (average_ == 0 || slope_ == 0) return desiredBytes;
    // Frames still to come, this one included; past a stated length, this one is the last.
    const double left = frames_ == 0 ? std::numeric_limits<double>::infinity() : std::max(1.0, double(frames_) - done_);
    const double reserve = kReserveFrames * average_ * std::clamp((left - 2) / kEndingFrames, 0.0, 1.0);
    const double surplus = double(desiredBytes) - average_ - reserve;
    const double aim = average_ + (surplus > 0 ? std::max(kSpend, 1 / left) : kSpend) * surplus;
    return uint32_t(std::clamp(aim, 0.0, double(desiredBytes)));
}

RateSlope::Band RateSlope::For(double error) const {
    if (average_ == 0 || slope_ == 0) return {};
    const double lambda = slope_ * Hardness(error);
    return {lambda / kBand, lambda * kBand};
}

double RateSlope::Slope() const { return slope_ * Hardness(lastError_); }

void RateSlope::Record(double aimLambda, double error) {
    ++done_;
    if (average_ == 0 || aimLambda == 0) return;
    lastError_ = error;
    const double unit = aimLambda / Hardness(error);
    if (slope_ == 0) {
        if (std::isfinite(unit)) slope_ = unit;
        return;
    }
    const double move = std::isinf(unit) ? kMostRise : std::clamp(std::log2(unit / slope_), -kMostFall, kMostRise);
    slope_ *= std::exp2(kFollow * move);
}

}  // namespace cinepak
