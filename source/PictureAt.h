#pragma once
// One picture of a movie at a time of its own, as small as a thumbnail wants it: for pictures
// made on the host from a movie (a menu's thumbnails), not for its conversion.
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
