#pragma once
// The menu's pages, drawn at conversion time: a title and a thumbnail per movie, a few movies a
// page, in the 15-bit pixels the player copies to the screen as they are. The player draws only
// the highlight, on the frame each movie is given here.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/MenuCatalogue.h"
#include "source/PictureAt.h"

inline constexpr int kMoviesPerPage = 3;
// A thumbnail's size: the screen's shape, a quarter of its width.
inline constexpr int kThumbnailWidth = 60;
inline constexpr int kThumbnailHeight = 40;

struct MenuItem {
    std::string title;                 // UTF-8, Japanese or Latin
    std::optional<Picture> thumbnail;  // kThumbnailWidth x kThumbnailHeight; none: an empty box
};

struct MenuPages {
    uint32_t pageCount = 0;
    std::vector<uint8_t> pixels;  // pageCount x menu_catalogue::kPageBytes, little-endian
    struct Place {
        uint16_t page;
        menu_catalogue::Frame highlight;
    };
    std::vector<Place> places;  // one per item, in order
};

// Draws the pages of `items` (at least one). Needs a running QGuiApplication (GuiHost.h).
MenuPages DrawMenuPages(const std::vector<MenuItem>& items);
