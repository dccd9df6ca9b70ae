#pragma once
// One picture of a movie at a time of its own: as small as a thumbnail wants it, for pictures
// made on the host from a movie (a menu's thumbnails), or as the conversion's decoder delivers
// it, for a look at what the settings make of it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // R, G, B per pixel, rows from the top, no padding
};

// The first picture shown at or after `timeUs` from where the movie's picture starts (its last
// one when the movie ends before), cut to the shape of `width` x `height` about its middle and
// scaled to that size. None with the reason in `error` when the movie cannot be read.
std::optional<Picture> PictureAt(const std::string& path, int64_t timeUs, int width, int height, std::string& error);

// The first picture shown at or after `timeUs`, as the conversion's decoder delivers pictures:
// bottom-up B,G,R, rows padded to 4 bytes, square pixels, turned as the file says. None with
// the reason in `error` when the movie cannot be read.
std::optional<std::vector<uint8_t>> ShownPictureAt(const std::string& path, int64_t timeUs, std::string& error);
