// The cartridge header from its title field to its end, right behind the entry branch and the
// boot logo of crt0.s. The complement check is computed here by the compiler, so that it always
// matches the title and the codes above it.
#include "format/Cartridge.h"
#include <stddef.h>
#include <stdint.h>

namespace {

using cartridge::kTitleOffset;

struct CartridgeInfo {
    uint8_t bytes[cartridge::kHeaderBytes - kTitleOffset];
};

template <size_t kLength>
constexpr void Put(CartridgeInfo& info, uint32_t offset, const char (&text)[kLength]) {
    for (size_t i = 0; i + 1 < kLength; ++i) {
        info.bytes[offset - kTitleOffset + i] = static_cast<uint8_t>(text[i]);
    }
}

// The player's own name, which image assembly replaces with the ROM name; a game and a maker
// code of our own.
constexpr char kTitle[] = "KAVRO PLAYER";
constexpr char kGameCode[] = "ZKVE";
constexpr char kMakerCode[] = "00";
static_assert(sizeof(kTitle) - 1 == cartridge::kTitleBytes && sizeof(kGameCode) - 1 == cartridge::kGameCodeBytes &&
              sizeof(kMakerCode) - 1 == cartridge::kMakerCodeBytes);

// Unit code, device type, software version and the reserved bytes stay 0.
constexpr CartridgeInfo MakeInfo() {
    CartridgeInfo info{};
    Put(info, kTitleOffset, kTitle);
    Put(info, cartridge::kGameCodeOffset, kGameCode);
    Put(info, cartridge::kMakerCodeOffset, kMakerCode);
    info.bytes[cartridge::kFixedByteOffset - kTitleOffset] = cartridge::kFixedByte;
    info.bytes[cartridge::kComplementOffset - kTitleOffset] = cartridge::ComplementOfChecked(info.bytes);
    return info;
}

[[gnu::section(".header.info"), gnu::used]] constexpr CartridgeInfo kCartridgeInfo = MakeInfo();

}  // namespace
