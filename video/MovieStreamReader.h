#pragma once
// Walks a movie stream (alone, or inside a cartridge image from a given offset) and checks
// that it holds together as the player will read it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct MovieStreamRecord {
    size_t offset = 0;     // of the record header, from the start of the stream
    uint16_t length = 0;   // record length, its 4 header bytes included
    uint16_t stripId = 0;  // cinepak::kIntraStripId or kInterStripId
};

struct MovieStreamInfo {
    uint32_t frameCount = 0;
    uint32_t frameStep = 0;  // 16.16
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<MovieStreamRecord> records;
    bool hasAudioBlock = false;
    uint32_t audioBlockCount = 0;
    size_t audioDataOffset = 0;  // first ADPCM byte, from the start of the stream
    size_t streamBytes = 0;
};

struct MovieStreamCheck {
    bool ok = false;
    std::string error;  // what is wrong, with the values involved; empty when ok
    MovieStreamInfo info;
};

// `bytes` holds the whole file; the stream starts at `streamOffset` and runs to the end.
MovieStreamCheck ReadMovieStream(std::span<const uint8_t> bytes, size_t streamOffset = 0);
