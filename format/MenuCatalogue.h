#pragma once
// The layout of a cartridge image with several movies behind a menu (ImageLayout::kMenu):
//
//   player image | catalogue: header, one entry per movie | menu pages | movie streams
//
// The catalogue starts at the first byte behind the player image (the options block names its
// offset and movie count). Each page is a whole screen of 15-bit pixels, drawn on the host,
// which the player copies to the screen as it is and frames the highlighted movie on. Each
// movie is a complete movie stream (format/MovieStream.h) on a 4-byte boundary, read by the
// player exactly as the stream of a one-movie image. Offsets count from the image's first
// byte; every field is little-endian. Freestanding, like the rest of the contract.
#include <stddef.h>
#include <stdint.h>

#include "format/Handheld.h"

namespace menu_catalogue {

inline constexpr uint8_t kMagic[4] = {'K', 'V', 'M', 'C'};
inline constexpr uint32_t kAlignment = 4;  // of the pages and of every stream
inline constexpr uint32_t kMaxMovies = 64;
inline constexpr uint32_t kTitleBytes = 64;  // UTF-8, zero-padded; for tools: the page shows it

// A page: 240 x 160 pixels, rows from the top, (R >> 3) | (G >> 3) << 5 | (B >> 3) << 10.
inline constexpr uint32_t kPageWidth = handheld::kScreenWidth;
inline constexpr uint32_t kPageHeight = handheld::kScreenHeight;
inline constexpr uint32_t kPageBytes = kPageWidth * kPageHeight * 2;

struct Header {
    uint8_t magic[4];
    uint16_t movieCount;
    uint16_t pageCount;
    uint32_t firstPageOffset;  // page p at firstPageOffset + p x kPageBytes
    uint32_t reserved;         // 0
};

// Where the player frames a movie on its page.
struct Frame {
    uint16_t x, y, width, height;
};

struct Entry {
    uint32_t streamOffset;  // a multiple of kAlignment
    uint32_t streamBytes;
    uint16_t page;
    uint16_t reserved;      // 0
    Frame highlight;
    uint32_t thumbnailMs;   // the movie's time its thumbnail was taken at
    uint8_t title[kTitleBytes];
};

static_assert(sizeof(Header) == 16 && sizeof(Entry) == 88 && sizeof(Entry) % kAlignment == 0);

// Bytes of the catalogue of `movieCount` movies: the first page follows it.
constexpr uint32_t CatalogueBytes(uint32_t movieCount) {
    return uint32_t(sizeof(Header)) + movieCount * uint32_t(sizeof(Entry));
}

constexpr uint32_t Aligned(uint32_t offset) { return (offset + kAlignment - 1) / kAlignment * kAlignment; }

// The highlight's colour and width, drawn by the player over the page.
inline constexpr uint16_t kHighlightColour = 0x03FF;  // yellow
inline constexpr uint32_t kHighlightLine = 2;

constexpr bool HasMagic(const Header& header) {
    for (int i = 0; i < 4; ++i)
        if (header.magic[i] != kMagic[i]) return false;
    return true;
}

// Whether a frame lies inside a page, with room for its line.
constexpr bool FrameFits(const Frame& frame) {
    return frame.width >= 2 * kHighlightLine && frame.height >= 2 * kHighlightLine && frame.x + frame.width <= kPageWidth &&
           frame.y + frame.height <= kPageHeight;
}

}  // namespace menu_catalogue
