#include "cinepak/CinepakOptions.h"

#include <array>

namespace cinepak {

namespace {

constexpr CinepakOptions kDefaults;

constexpr std::array kTable{
    CinepakOptionInfo{"lloyd-passes", "Lloyd passes after a codebook has grown: more is better and slower",
                      &CinepakOptions::lloydPasses, kDefaults.lloydPasses, 0, 8},
    CinepakOptionInfo{"refine-passes", "Rounds of retraining each codebook on the blocks that chose it",
                      &CinepakOptions::refinePasses, kDefaults.refinePasses, 0, 4},
    CinepakOptionInfo{"key-interval", "An intra frame every this many frames; 0: only the first frame",
                      &CinepakOptions::keyInterval, kDefaults.keyInterval, 0, 100000},
    CinepakOptionInfo{"rate-slope",
                      "1: frames share one trade-off, so easy frames leave bytes for cuts; 0: every frame fills "
                      "its desired size",
                      &CinepakOptions::rateSlope, kDefaults.rateSlope, 0, 1},
};

constexpr uint32_t kValueBytes = 4;

}  // namespace

std::span<const CinepakOptionInfo> CinepakOptionTable() { return kTable; }

uint32_t CinepakStateBytes() { return uint32_t(kTable.size()) * kValueBytes; }

void StoreCinepakState(const CinepakOptions& options, std::span<uint8_t> state) {
    for (size_t i = 0; i < kTable.size(); ++i) {
        const uint32_t value = uint32_t(options.*kTable[i].field);
        for (uint32_t b = 0; b < kValueBytes; ++b) state[i * kValueBytes + b] = uint8_t(value >> (8 * b));
    }
}

bool LoadCinepakState(std::span<const uint8_t> state, CinepakOptions& options) {
    if (state.size() != CinepakStateBytes()) return false;
    CinepakOptions loaded = options;
    for (size_t i = 0; i < kTable.size(); ++i) {
        uint32_t value = 0;
        for (uint32_t b = 0; b < kValueBytes; ++b) value |= uint32_t(state[i * kValueBytes + b]) << (8 * b);
        const int32_t signedValue = int32_t(value);
        if (signedValue < kTable[i].minValue || signedValue > kTable[i].maxValue) return false;
        loaded.*kTable[i].field = signedValue;
    }
    options = loaded;
    return true;
}

}  // namespace cinepak
