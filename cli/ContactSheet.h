#pragma once
// A contact sheet: screens laid out in rows on a dark background.
#include <cstdint>
#include <vector>

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // 8-bit R, G, B, top row first
};

// Lays out `tiles` (all the same size) left to right, `columns` to a row, with a gap between them.
RgbPicture ComposeContactSheet(const std::vector<RgbPicture>& tiles, int columns);
