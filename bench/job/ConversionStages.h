#pragma once
// What the conversion benchmarks share: timing, one conversion with the default settings,
// and where its processor time goes, each stage measured on its own in the same run.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "video/ScreenAdjustment.h"

struct Cost {
    double cpu = 0;   // seconds of processor time, all threads
    double wall = 0;  // seconds
};

double CpuSeconds();

template <typename F>
Cost Measure(F work) {
    const double cpu = CpuSeconds();
    const auto wall = std::chrono::steady_clock::now();
    work();
    return {CpuSeconds() - cpu, std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count()};
}

// The median by wall time of `rounds` runs of `work`.
template <typename F>
Cost Median(int rounds, F work) {
    std::vector<Cost> costs;
    for (int round = 0; round < rounds; ++round) costs.push_back(Measure(work));
    std::sort(costs.begin(), costs.end(), [](const Cost& a, const Cost& b) { return a.wall < b.wall; });
    return costs[costs.size() / 2];
}

// Converts with the default settings (but the screen); false (with the reason printed) when it fails.
bool Convert(const std::string& movie, const std::string& output, Screen screen = Screen::Standard);

// The stages of one conversion of a movie of `seconds`, whose pictures the default settings
// scale from sourceWidth x sourceHeight to outputWidth x outputHeight.
struct StageRun {
    std::string movie, output;
    int seconds = 0;
    int sourceWidth = 0, sourceHeight = 0, outputWidth = 0, outputHeight = 0;
    uint32_t frameBudget = 0;  // bytes a kept frame, as the default bitrate gives them
    bool unlitScreen = false;  // also measure what the pictures for the unlit screen cost
};

// Prints the whole conversion's cost and the stages', each measured once here.
void PrintConversionStages(const StageRun& run, Cost whole);
