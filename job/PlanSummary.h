#pragma once
// A movie's facts and a conversion's plan in the words the dialog and kavro-cli show them with.
#include <cstdint>
#include <string>

#include "job/ConversionPlan.h"
#include "source/MovieFacts.h"

// Frames per second with up to three decimals: "23.976", "25", "12.5".
std::string RateWords(uint32_t numerator, uint32_t denominator);

// A data rate in kilobytes a second, two decimals: "120.00 KB/s", "37.51 KB/s".
std::string RateText(uint64_t bytesPerSecond);

// The sound as a player names it: "AAC 48 kHz stereo", "PCM 44.1 kHz mono", "AC3 48 kHz 6ch".
std::string SoundWords(const SoundFacts& sound);

// How long the whole movie lasts on the plan's source clock.
int64_t MovieDurationUs(const MovieFacts& facts, const VideoPlan& video);

// One line of what the movie is: "1:32:10 ・ 1920×1080 ・ 23.976 fps ・ AAC 48 kHz stereo".
std::string FactsLine(const MovieFacts& facts, const VideoPlan& video);

struct EstimateWords {
    std::string text;
    bool fits = true;  // false: the text says why the image will not fit
};
// What the image will come to, and whether it fits `sizeBytes` (a cartridge's whole space when
// 0): "推定 12.3 MB ・ 9分41秒 ・ 32 MB に収まります", or how much of the movie would.
EstimateWords EstimateLine(const ConversionPlan& plan, uint64_t sizeBytes);
