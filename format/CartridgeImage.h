#pragma once
// A cartridge image as image assembly makes it: the player image, byte for byte but for the
// fields listed here, then the movie stream from the first byte behind the player image, which
// is where the player looks for it. Freestanding, like the rest of the contract.
#include <stdint.h>

#include "format/Cartridge.h"
#include "format/PlayerOptions.h"

namespace cartridge_image {

// The player image's size is a multiple of this, so that the stream starts 4-byte aligned.
inline constexpr uint32_t kPlayerAlignment = 4;

struct Field {
    uint32_t offset;
    uint32_t bytes;
};

// The bytes of the player image that assembly writes for each image; every other byte stays
// the player's own.
inline constexpr Field kAssembledFields[] = {
    {cartridge::kTitleOffset, cartridge::kTitleBytes},
    {cartridge::kComplementOffset, 1},  // made anew for the title
    {player_options::kOffset, sizeof(player_options::PlayerOptions)},  // the image's layout and modes
};

constexpr bool IsAssembled(uint32_t offset) {
    for (const Field& field : kAssembledFields) {
        if (offset >= field.offset && offset - field.offset < field.bytes) {
            return true;
        }
    }
    return false;
}

}  // namespace cartridge_image
