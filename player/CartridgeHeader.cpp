// Bytes 0xA0..0xBF of the cartridge header, right behind the entry branch and the boot logo
// of crt0.s. The complement check is computed here by the compiler, so that it always
// matches the title and the codes above it.
#include <stdint.h>

namespace {

struct CartridgeInfo {
    char title[12];  // uppercase ASCII, zero padded; image assembly puts the ROM name here
    char gameCode[4];
    char makerCode[2];
    uint8_t fixedValue;  // 0x96, required
    uint8_t unitCode;
    uint8_t deviceType;
    uint8_t reserved[7];
    uint8_t softwareVersion;
    uint8_t complement;  // -(sum of bytes 0xA0..0xBC) - 0x19
    uint8_t reserved2[2];
};
static_assert(sizeof(CartridgeInfo) == 0xC0 - 0xA0);

constexpr CartridgeInfo WithComplement(CartridgeInfo info) {
    const char* checked[] = {info.title, info.gameCode, info.makerCode};
    const int checkedBytes[] = {12, 4, 2};
    unsigned sum = 0;
    for (int field = 0; field < 3; ++field) {
        for (int i = 0; i < checkedBytes[field]; ++i) {
            sum += static_cast<uint8_t>(checked[field][i]);
        }
    }
    sum += info.fixedValue + info.unitCode + info.deviceType + info.softwareVersion;
    for (uint8_t byte : info.reserved) {
        sum += byte;
    }
    info.complement = static_cast<uint8_t>(0u - sum - 0x19u);
    return info;
}

[[gnu::section(".header.info"), gnu::used]] constexpr CartridgeInfo kCartridgeInfo = WithComplement({
    .title = {'K', 'A', 'V', 'R', 'O', ' ', 'P', 'L', 'A', 'Y', 'E', 'R'},
    .gameCode = {'Z', 'K', 'V', 'E'},
    .makerCode = {'0', '0'},
    .fixedValue = 0x96,
});

}  // namespace
