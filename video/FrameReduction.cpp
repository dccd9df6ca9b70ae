#include "video/FrameReduction.h"

#include <algorithm>
#include <limits>

namespace {

// The frames after which KeepsFrame repeats itself.
uint32_t ReductionPeriod(const VideoPlan& plan) {
    switch (plan.frameRateMode) {
    case -1: return std::max<uint32_t>(plan.decimationDivisor, 1);
    case 1:
    case 4: return 5;
    case 2:
    case 5: return 3;
    case 3: return 2;
    default: return 1;
    }
}

uint64_t KeptOf(const VideoPlan& plan, uint32_t first, uint32_t last) {
    uint64_t kept = 0;
    for (uint32_t n = first; n <= last; ++n) kept += KeepsFrame(plan, n) ? 1 : 0;
    return kept;
}

// How many of source frames 1..n KeepsFrame keeps: whole periods counted once, the rest one by one.
uint64_t KeptUpTo(const VideoPlan& plan, uint64_t n) {
    const uint32_t period = ReductionPeriod(plan);
    return n / period * KeptOf(plan, 1, period) + KeptOf(plan, 1, uint32_t(n % period));
}

uint32_t RefreshDivisor(const VideoPlan& plan) { return std::max<uint32_t>(plan.refreshDivisor, 1); }

}  // namespace

bool KeepsFrame(const VideoPlan& plan, uint32_t n) {
    switch (plan.frameRateMode) {
    case -1: return plan.decimationDivisor != 0 && n % plan.decimationDivisor == 0;
    case 1: return n % 5 != 0;
    case 2: return n % 3 != 0;
    case 3: return n % 2 == 1;
    case 4: return n % 5 == 1 || n % 5 == 3;
    case 5: return n % 3 == 1;
    default: return true;
    }
}

uint64_t KeptFrameCount(const VideoPlan& plan, uint64_t sourceFrames) {
    switch (plan.frameRateMode) {
    case -1: return plan.decimationDivisor == 0 ? 0 : sourceFrames / plan.decimationDivisor;
    case 1: return sourceFrames * 4 / 5;
    case 2: return sourceFrames * 2 / 3;
    case 3: return sourceFrames / 2;
    case 4: return sourceFrames * 2 / 5;
    case 5: return sourceFrames / 3;
    default: return sourceFrames;
    }
}

uint64_t WrittenFrameCount(const VideoPlan& plan, uint64_t sourceFrames) {
    return KeptUpTo(plan, sourceFrames) / RefreshDivisor(plan);
}

bool KeepsDelivery(const VideoPlan& plan, uint32_t n) {
    return KeepsFrame(plan, n) && KeptUpTo(plan, n) % RefreshDivisor(plan) == 0;
}

uint64_t CumulativeTarget(const VideoPlan& plan, uint64_t frames) {
    // 128 bits: bytes per second x denominator x frames leaves 64 bits for very long movies.
    const unsigned __int128 target =
        (unsigned __int128)BytesPerSecond(plan) * plan.rateDenominator * frames / plan.rateNumerator;
    return uint64_t(std::min<unsigned __int128>(target, std::numeric_limits<uint64_t>::max()));
}

uint32_t FrameBudget(const VideoPlan& plan, uint32_t frameIndex, uint64_t bytesProduced) {
    const uint64_t target = CumulativeTarget(plan, uint64_t(frameIndex) + 1);
    const uint64_t left = target > bytesProduced ? target - bytesProduced : 1;
    const uint32_t budget = uint32_t(std::min<uint64_t>(left, std::numeric_limits<uint32_t>::max()));
    return std::max(budget, plan.averageFrameBytes / 2);
}
