#pragma once
// Cartridge images for the player tests and benchmarks: this build's player followed by a
// movie stream written with the stream writer, and a core running them. Failures throw.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "format/PlayerOptions.h"
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

// The player followed directly by `stream`, with the options block `options` (the player's own,
// without controls, by default), as image assembly writes it.
std::vector<uint8_t> CartridgeImage(std::span<const uint8_t> stream,
                                    const player_options::PlayerOptions& options = player_options::Off());

// A core running `image` from power-on, its SRAM holding `saveMemory` (none: blank).
std::unique_ptr<HandheldCore> StartCore(std::span<const uint8_t> image, std::span<const uint8_t> saveMemory = {});

// `blocks` refreshes of a two-tone sound at 21024 Hz, and its ADPCM bytes as the audio encoder
// codes them.
std::vector<int16_t> ToneSamples(uint32_t blocks);
std::vector<uint8_t> ToneAdpcm(uint32_t blocks);
