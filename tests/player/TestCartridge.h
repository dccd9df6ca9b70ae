#pragma once
// Cartridge images for the player tests and benchmarks: this build's player followed by a
// movie stream written with the stream writer, and a core running them. Failures throw.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "preview/HandheldCore.h"
#include "tests/player/FrameRecord.h"

struct TestMovie {
    uint32_t frameStep = 0x10000;
    int width = 240;
    int height = 160;
    std::vector<FrameRecord> records;
    std::vector<uint8_t> adpcm;  // AudioBlockCount x 176 bytes
};

// The PlayerRom resource ("BINARY", 130).
std::span<const uint8_t> PlayerRom();

// The stream file as the movie encoder finishes it: header, records, audio block, frame count.
std::vector<uint8_t> WriteMovieStream(const TestMovie& movie);

// The player followed directly by `stream`.
std::vector<uint8_t> CartridgeImage(std::span<const uint8_t> stream);

// A core running `image` from power-on.
std::unique_ptr<HandheldCore> StartCore(std::span<const uint8_t> image);

// ADPCM bytes of `blocks` refreshes of a two-tone sound, coded by the audio encoder.
std::vector<uint8_t> ToneAdpcm(uint32_t blocks);
