#pragma once
// Walks the catalogue of a menu image (format/MenuCatalogue.h) and checks it as the player
// reads it: the options block names it, its entries and pages lie inside the image, each
// highlight inside its page, and each movie is a complete stream of its own that holds
// together (MovieStreamReader), one after the other on 4-byte boundaries.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "format/MenuCatalogue.h"
#include "video/MovieStreamReader.h"

struct MenuCatalogueCheck {
    bool isMenu = false;  // the options block names a menu layout
    bool ok = false;
    std::string error;    // the first fault, with the values involved; empty when ok
    menu_catalogue::Header header{};
    std::vector<menu_catalogue::Entry> entries;
    std::vector<MovieStreamCheck> streams;  // one per entry, as far as the walk got
};

// `image` is the whole cartridge image.
MenuCatalogueCheck ReadMenuCatalogue(std::span<const uint8_t> image);

// A movie's title as the catalogue holds it.
std::string TitleOf(const menu_catalogue::Entry& entry);
