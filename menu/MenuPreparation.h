#pragma once
// What a menu image needs before its movies are converted: a thumbnail of each movie and the
// pages drawn with them. Runs where Qt's application object lives (GuiHost.h), the main thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "job/MenuConversion.h"

// A movie of the list as the user gave it.
struct MenuChoice {
    std::string moviePath;
    std::string title;                     // empty: the file's name without its extension
    std::optional<int64_t> thumbnailUs;    // none: at 10 % of the movie's length
};

// The share of a movie's length its thumbnail is taken at when no time is given.
inline constexpr double kThumbnailShare = 0.10;

// Fills `request` (whose settings are set) with the movies, their thumbnails' times, places
// and the pages. False with the user's words in `error` when a movie cannot be read.
[[nodiscard]] bool PrepareMenu(const std::vector<MenuChoice>& choices, MenuRequest& request, std::string& error);
