#pragma once
// What a finished cartridge image holds, as a person wants to know it: its size, the smallest
// common cartridge that takes it, and its movie stream's figures. kavro-cli's reports and the
// dialog's summary read images through this one place, so they cannot tell different figures.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "job/ImageFile.h"
#include "job/StreamSummary.h"
#include "video/MenuCatalogueReader.h"
#include "video/MovieStreamReader.h"

struct ImageSummary {
    size_t imageBytes = 0;
    StreamLocation location;  // its error set: the stream was not read
    MovieStreamCheck stream;  // a menu image's first movie
    StreamSummary figures;
    MenuCatalogueCheck menu;  // isMenu false for a one-movie image
};

// `streamOffset` as LocateStream takes it (none: behind this build's player).
ImageSummary SummarizeImage(std::span<const uint8_t> image, std::optional<size_t> streamOffset = std::nullopt);

// The smallest of cartridge::kCommonSizes that holds `imageBytes` bytes; 0 when none does.
uint32_t SmallestCartridgeFor(uint64_t imageBytes);
