#include "cli/ContactSheet.h"

#include <algorithm>

namespace {

constexpr int kGapPixels = 4;
constexpr uint8_t kBackground = 0x30;  // dark grey, so black borders of small pictures stay visible

}  // namespace

RgbPicture ComposeContactSheet(const std::vector<RgbPicture>& tiles, int columns) {
    RgbPicture sheet;
    if (tiles.empty() || columns <= 0) return sheet;
    const int tileWidth = tiles.front().width, tileHeight = tiles.front().height;
    const int rows = (int(tiles.size()) + columns - 1) / columns;
    const int across = std::min(columns, int(tiles.size()));
    sheet.width = across * tileWidth + (across + 1) * kGapPixels;
    sheet.height = rows * tileHeight + (rows + 1) * kGapPixels;
    sheet.rgb.assign(size_t(sheet.width) * sheet.height * 3, kBackground);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const int left = kGapPixels + int(i) % columns * (tileWidth + kGapPixels);
        const int top = kGapPixels + int(i) / columns * (tileHeight + kGapPixels);
        for (int y = 0; y < tileHeight; ++y)
            std::copy_n(&tiles[i].rgb[size_t(y) * tileWidth * 3], size_t(tileWidth) * 3,
                        &sheet.rgb[(size_t(top + y) * sheet.width + left) * 3]);
    }
    return sheet;
}
