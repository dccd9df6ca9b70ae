#pragma once
// What a menu image needs before its movies are converted: a thumbnail of each movie and the
// pages drawn with them. Runs where Qt's application object lives (GuiHost.h), the main thread.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "job/ConversionSettings.h"
#include "job/MenuConversion.h"

// A movie of the list as the user gave it.
struct MenuChoice {
    std::string moviePath;
    std::string title;                     // empty: the file's name without its extension
    std::optional<int64_t> thumbnailUs;    // none: at 10 % of the movie's length
};

// The share of a movie's length its thumbnail is taken at when no time is given.
inline constexpr double kThumbnailShare = 0.10;

// Whether the movies can make a menu image written at `outputPath`: at most kMaxMovies, each a
// file (a menu reads it more than once), none the output, each a path the settings take. The
// message of the first fault, none when all are sound.
std::optional<std::string> CheckMenuChoices(const std::vector<MenuChoice>& choices, const std::string& outputPath,
                                            SettingSource source);

// Fills `request` (whose settings are set) with the movies, their thumbnails' times, places
// and the pages. False with the user's words in `error` when a movie cannot be read.
[[nodiscard]] bool PrepareMenu(const std::vector<MenuChoice>& choices, MenuRequest& request, std::string& error);
