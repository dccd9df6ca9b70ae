#include "video/FrameReduction.h"

#include <algorithm>
#include <limits>

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

uint32_t FrameBudget(const VideoPlan& plan, uint32_t frameIndex, uint64_t bytesProduced) {
    // 128 bits: bitrate x denominator x frames x 1024 leaves 64 bits for very long movies.
    const unsigned __int128 target = (unsigned __int128)uint32_t(plan.bitrate) * plan.rateDenominator *
                                     (uint64_t(frameIndex) + 1) * 1024 / plan.rateNumerator;
    const unsigned __int128 left = target > bytesProduced ? target - bytesProduced : 1;
    const uint32_t budget = uint32_t(std::min<unsigned __int128>(left, std::numeric_limits<uint32_t>::max()));
    return std::max(budget, plan.averageFrameBytes / 2);
}
