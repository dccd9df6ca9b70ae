#pragma once
// The compressor's options: one table gives each option's name, help, default and range, and
// every reader (the compressor's state, a command line, a dialog) goes through it.
#include <cstdint>
#include <span>

namespace cinepak {

struct CinepakOptions {
    int32_t lloydPasses = 1;   // Lloyd passes after a codebook has grown
    int32_t refinePasses = 1;  // rounds of retraining each codebook on the blocks that chose it
    int32_t keyInterval = 0;   // an intra frame every this many frames; 0: only the first
    int32_t rateSlope = 1;     // 1: one trade-off across frames, steered by the budget's savings; 0: fill every budget
};

struct CinepakOptionInfo {
    const char* name;
    const char* help;
    int32_t CinepakOptions::*field;
    int32_t defaultValue;
    int32_t minValue;
    int32_t maxValue;
};

std::span<const CinepakOptionInfo> CinepakOptionTable();

// The compressor's state: every option in table order, 4 bytes little-endian each.
uint32_t CinepakStateBytes();
void StoreCinepakState(const CinepakOptions& options, std::span<uint8_t> state);
// False, changing nothing, when the state has another size or a value out of range.
bool LoadCinepakState(std::span<const uint8_t> state, CinepakOptions& options);

}  // namespace cinepak
