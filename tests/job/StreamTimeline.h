#pragma once
// What a cartridge's movie stream shows and plays, on the handheld's clock: record j is due
// j x 65536 / frameStep refreshes into the pass, sound sample k after k / 352 refreshes, at
// 59.727 refreshes a second. Pictures come from FFmpeg's Cinepak decoder, sound from the
// player's ADPCM reconstruction.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "video/MovieStreamReader.h"

inline constexpr double kRefreshHz = 59.727;

struct StreamTimeline {
    MovieStreamCheck stream;
    double pictureSeconds = 0;    // all frame records
    double soundSeconds = 0;      // all audio blocks
    std::vector<double> flashes;  // when a bright record follows a dark one
    std::vector<double> beeps;    // when the sound rises out of a tenth of a second of quiet
    std::vector<uint8_t> firstPicture;  // record 0 as R, G, B rows, top row first
};

// Reads the stream that starts at `streamOffset` of `image`; `stream.ok` false when it does not hold together.
StreamTimeline ReadStreamTimeline(std::span<const uint8_t> image, size_t streamOffset);
