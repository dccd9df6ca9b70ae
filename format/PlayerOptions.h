#pragma once
// The options block: bytes of the player image, right behind the cartridge header, that image
// assembly writes for each image as it writes the title field, to tell the player how the image
// is laid out and which of its modes to run. The player takes the layout from here and never
// from the stream, which has no signature that could tell one layout from another: with a block
// it does not know (another magic or version, or a layout of a later player) it plays nothing.
// Freestanding, like the rest of the contract; both sides are little-endian.
#include <stddef.h>
#include <stdint.h>

#include "format/Cartridge.h"

namespace player_options {

// The first byte after the header: outside the bytes the header's complement covers, so that
// writing the block leaves the complement as it is.
inline constexpr uint32_t kOffset = cartridge::kHeaderBytes;
inline constexpr uint8_t kVersion = 1;

enum class ImageLayout : uint8_t {
    // One movie stream from the first byte behind the player image.
    kOneMovie = 0,
    // Several movies behind a menu (format/MenuCatalogue.h): layoutData[0] is the catalogue's
    // offset in the image, layoutData[1] its movie count.
    kMenu = 1,
    // Values above are kept for later layouts, each with the meaning of layoutData that it
    // gives; a player that does not know one plays nothing.
};

// The tag by which flash cartridges and emulators tell that a cartridge keeps battery-backed
// SRAM: the save library's name, found anywhere in the image on a 4-byte boundary.
inline constexpr char kSramTag[] = "SRAM_V113";
inline constexpr uint32_t kSaveTagBytes = 12;

struct PlayerOptions {
    uint8_t magic[4];
    uint8_t version;
    uint8_t layout;              // ImageLayout
    uint8_t controls;            // 0: a change of the keys restarts the movie; 1: pause, seek, resume
    uint8_t reserved0;           // 0
    uint16_t seekSpacingRefreshes;  // with controls: display refreshes between seek points; 0 without
    uint16_t reserved1;          // 0
    uint32_t layoutData[3];      // 0 for kOneMovie; room for what a later layout needs to find its parts
    uint8_t saveTag[kSaveTagBytes];  // kSramTag (zero-padded) when the player keeps its place in SRAM, else 0
};

inline constexpr uint8_t kMagic[4] = {'K', 'V', 'O', 'P'};

static_assert(sizeof(PlayerOptions) == 36 && offsetof(PlayerOptions, seekSpacingRefreshes) == 8);
static_assert((kOffset + offsetof(PlayerOptions, saveTag)) % 4 == 0, "the tag is searched for on 4-byte boundaries");
static_assert(sizeof(kSramTag) <= kSaveTagBytes);

// The block of an image without controls: what the player image carries as built.
constexpr PlayerOptions Off() {
    PlayerOptions options{};
    for (int i = 0; i < 4; ++i) options.magic[i] = kMagic[i];
    options.version = kVersion;
    options.layout = uint8_t(ImageLayout::kOneMovie);
    return options;
}

// The block of an image with pause, seek and resume, seek points every `spacingRefreshes`.
constexpr PlayerOptions WithControls(uint16_t spacingRefreshes) {
    PlayerOptions options = Off();
    options.controls = 1;
    options.seekSpacingRefreshes = spacingRefreshes;
    for (size_t i = 0; i + 1 < sizeof(kSramTag); ++i) options.saveTag[i] = uint8_t(kSramTag[i]);
    return options;
}

// Whether the block's magic and version are this contract's.
constexpr bool OwnBlock(const PlayerOptions& options) {
    for (int i = 0; i < 4; ++i)
        if (options.magic[i] != kMagic[i]) return false;
    return options.version == kVersion;
}

// Whether this player understands the block as one movie: its magic, version and layout.
constexpr bool Known(const PlayerOptions& options) {
    return OwnBlock(options) && options.layout == uint8_t(ImageLayout::kOneMovie);
}

// Whether the block is of a menu image, with the catalogue it names.
constexpr bool IsMenu(const PlayerOptions& options) {
    return OwnBlock(options) && options.layout == uint8_t(ImageLayout::kMenu) && options.layoutData[1] > 0;
}

// The block of a menu image: `base`'s modes, the catalogue at `catalogueOffset` in the image.
constexpr PlayerOptions ForMenu(PlayerOptions base, uint32_t catalogueOffset, uint32_t movieCount) {
    base.layout = uint8_t(ImageLayout::kMenu);
    base.layoutData[0] = catalogueOffset;
    base.layoutData[1] = movieCount;
    base.layoutData[2] = 0;
    return base;
}

// Whether the block asks for the controls with seek points to seek to.
constexpr bool HasControls(const PlayerOptions& options) {
    return options.controls == 1 && options.seekSpacingRefreshes > 0;
}

// Whether the block carries the tag that makes flash cartridges and emulators give the image
// battery-backed SRAM.
constexpr bool DeclaresSram(const PlayerOptions& options) {
    for (size_t i = 0; i < kSaveTagBytes; ++i)
        if (options.saveTag[i] != (i + 1 < sizeof(kSramTag) ? uint8_t(kSramTag[i]) : 0)) return false;
    return true;
}

static_assert(!DeclaresSram(Off()) && DeclaresSram(WithControls(1)) && Known(WithControls(1)));
static_assert(IsMenu(ForMenu(Off(), 44000, 3)) && !Known(ForMenu(Off(), 44000, 3)) && !IsMenu(Off()));

// The block of a player image (of at least kOffset + sizeof(PlayerOptions) bytes), and the
// image with another block in its place.
inline PlayerOptions Get(const uint8_t* image) {
    PlayerOptions options;
    auto* bytes = reinterpret_cast<uint8_t*>(&options);
    for (size_t i = 0; i < sizeof options; ++i) bytes[i] = image[kOffset + i];
    return options;
}
inline void Put(uint8_t* image, const PlayerOptions& options) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&options);
    for (size_t i = 0; i < sizeof options; ++i) image[kOffset + i] = bytes[i];
}

}  // namespace player_options
