#pragma once
// Runs the first pass of a cartridge image on the core and compares every refresh that shows
// a frame record with FFmpeg's decode of that record, reduced to 15 bits and centred.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tests/player/FrameRecord.h"
#include "video/MovieStreamReader.h"

struct ShownFramesCheck {
    bool started = false;
    bool crashed = false;
    size_t recordsShown = 0;               // distinct records seen on the screen
    std::vector<std::string> differences;  // one line per refresh whose screen was wrong
};

ShownFramesCheck CheckShownFrames(std::span<const uint8_t> image, const std::vector<FrameRecord>& records, int width,
                                  int height);

// The frame records of a stream that the reader walked, as the stream writer took them.
std::vector<FrameRecord> RecordsOf(std::span<const uint8_t> image, size_t streamOffset, const MovieStreamInfo& info);
