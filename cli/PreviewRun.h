#pragma once
// Runs a cartridge image on the core for a number of refreshes and keeps what a person
// would see and hear: evenly spaced screens, every newly shown frame, the sound.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/ContactSheet.h"
#include "video/ScreenAdjustment.h"

class HandheldCore;
class WavWriter;

struct PreviewPlan {
    uint32_t refreshes = 0;
    int tiles = 16;                       // screens for the contact sheet, the last one after the last refresh
    std::filesystem::path framesFolder;   // empty: no frame files
    WavWriter* sound = nullptr;           // receives the core's sound as it comes
    std::function<void(uint32_t)> progress;  // called with the refreshes done after each one
    Screen screen = Screen::Standard;     // the screen the sheet and frames are shown as; Standard: as the core draws
};

struct PreviewResult {
    std::vector<RgbPicture> tiles;
    std::vector<uint32_t> tileRefreshes;
    uint32_t passesStarted = 0;  // the player's pass count at the end
    uint32_t framesShown = 0;    // records that reached the screen, over all passes
    uint32_t framesWritten = 0;  // frame files
    uint32_t lateFrames = 0;     // summed over the passes seen
    uint64_t soundFrames = 0;    // stereo sample pairs
    int soundPeak = 0;
    double soundRms = 0;
    bool crashed = false;
    std::string error;  // a file could not be written; the run stopped there
};

PreviewResult RunPreview(HandheldCore& core, const PreviewPlan& plan);
