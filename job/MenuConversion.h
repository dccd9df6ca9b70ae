#pragma once
// A cartridge image with several movies behind a menu (format/MenuCatalogue.h): each movie made
// into a complete movie stream by the one conversion path, with the request's settings, into a
// temporary stream of its own; then the player, the catalogue, the menu's pages (drawn by the
// caller) and the streams written as one image, atomically, as a one-movie image is.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "format/MenuCatalogue.h"
#include "job/Completion.h"
#include "job/ConversionRequest.h"

struct MenuMovie {
    std::string moviePath;  // UTF-8
    std::string title;      // UTF-8
    uint32_t thumbnailMs = 0;
    uint16_t page = 0;      // where the pages show it
    menu_catalogue::Frame highlight{};
};

struct MenuRequest {
    // Every setting but the movie, which each movie's conversion takes from its MenuMovie; with
    // fitBytes, the size is shared among the movies by their playing time.
    ConversionRequest settings;
    std::vector<MenuMovie> movies;  // 2 .. kMaxMovies
    uint32_t pageCount = 0;
    std::vector<uint8_t> pages;     // pageCount x menu_catalogue::kPageBytes
};

// The catalogue and the pages, which lie between the player of `playerBytes` and the streams
// of `streamBytes` each, in the movies' order.
std::vector<uint8_t> MenuBody(const MenuRequest& request, uint64_t playerBytes, std::span<const uint64_t> streamBytes);

// The image's bytes before its first stream.
uint64_t MenuFixedBytes(const MenuRequest& request, uint64_t playerBytes);

// The worker's run for a menu image: converts the movies in order on one progress bar, then
// assembles the image; posts exactly one NOTIFY_COMPLETED to settings.dialogWindow with the
// code (that of the first movie that failed, its path in ErrorDetail) and returns it. With
// fitBytes, settings.fitReport gets the whole image's size and passes and the lowest rate.
CompletionCode MenuConversionWorker(const MenuRequest& request);
