#pragma once
// Where the white flashes and the beeps of a sync movie begin when its cartridge image plays on
// the mGBA core: the first pass, from power-on until the next pass's record 0 is on the screen.
//
// Times are taken on the core's own clock. A refresh's picture is seen from the moment the
// display draws its line 0, 68 lines after the v-blank at which the player copied it; a beep
// begins at the first output sample of the core that reaches a quarter of the movie's loudest
// 5 ms of sound after at least 20 ms below it. A flash is a refresh in which at least half of
// the picture's pixels (the stream's width x height, centred) are near white on all three
// channels, after one that is not: dither and Cinepak leave white near white.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct SyncOnset {
    uint32_t refresh = 0;  // refresh of the pass (1 = its first v-blank) in which the onset lies
    double ms = 0;         // from the moment the pass's record 0 is first seen
};

struct SyncOnsets {
    std::string error;  // empty when the image ran as a movie and looped
    std::vector<SyncOnset> flashes;
    std::vector<SyncOnset> beeps;
    double passMs = 0;  // from record 0 seen to the next pass's record 0 seen: the movie's length
};

// Runs `image` (a player followed by its movie stream) on a core from power-on. The stream
// starts right after this build's player unless `streamOffset` says otherwise.
SyncOnsets FindSyncOnsets(std::span<const uint8_t> image, std::optional<size_t> streamOffset = std::nullopt);

// For each flash, the offset in ms of the nearest beep (positive: the beep comes later).
std::vector<double> BeepOffsetsMs(const SyncOnsets& onsets);

// One line per flash: its refresh and time, the nearest beep's, and the offset.
std::string DescribeSync(const SyncOnsets& onsets);
