#pragma once
// The checks the handheld's start-up makes on a cartridge header before it runs the image.
#include <cstdint>
#include <span>
#include <string>

// Fields of the header that image assembly writes.
inline constexpr size_t kTitleOffset = 0xA0;
inline constexpr size_t kTitleBytes = 12;
inline constexpr size_t kComplementOffset = 0xBD;
inline constexpr size_t kCartridgeHeaderBytes = 0xC0;

// The complement check byte of a header (at least 0xBD bytes): -(sum of 0xA0..0xBC) - 0x19.
uint8_t HeaderComplement(std::span<const uint8_t> header);

struct CartridgeHeaderCheck {
    bool entryIsBranch = false;  // byte 3 is 0xEA: an ARM B, as the header's entry must be
    bool logoOk = false;         // the 156 boot-logo bytes at offset 4
    bool fixedByteOk = false;    // 0x96 at 0xB2
    bool complementOk = false;   // 0xBD = -(sum of 0xA0..0xBC) - 0x19
    uint8_t complement = 0;
    uint8_t expectedComplement = 0;
    std::string title;  // the printable part of the 12-byte field at 0xA0
    std::string error;  // the first failed check, empty when all pass
};

CartridgeHeaderCheck CheckCartridgeHeader(std::span<const uint8_t> image);
