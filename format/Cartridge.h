#pragma once
// The cartridge: where the handheld maps it, and the header its start-up checks before it
// runs an image. Offsets are from the image's first byte. Freestanding: the player builds
// its header from these, and the host checks and titles images with them.
#include <stddef.h>
#include <stdint.h>

namespace cartridge {

inline constexpr uint32_t kBaseAddress = 0x08000000;
inline constexpr uint32_t kMaxImageBytes = 32u << 20;  // the cartridge address space, 33,554,432 bytes
inline constexpr uint32_t kEndAddress = kBaseAddress + kMaxImageBytes;
// The sizes flash cartridges are commonly sold in, smallest first.
inline constexpr uint32_t kCommonSizes[] = {4u << 20, 8u << 20, 16u << 20, 32u << 20};

// Header fields.
inline constexpr uint32_t kEntryOffset = 0;  // one ARM B instruction, run at power-on
inline constexpr uint32_t kEntryBytes = 4;
inline constexpr uint32_t kLogoOffset = 4;  // the boot logo, which the start-up compares with its own
inline constexpr uint32_t kLogoBytes = 156;
inline constexpr uint32_t kTitleOffset = 0xA0;  // byte 160: uppercase, zero-padded; assembly puts the ROM name here
inline constexpr uint32_t kTitleBytes = 12;
inline constexpr uint32_t kGameCodeOffset = 0xAC;
inline constexpr uint32_t kGameCodeBytes = 4;
inline constexpr uint32_t kMakerCodeOffset = 0xB0;
inline constexpr uint32_t kMakerCodeBytes = 2;
inline constexpr uint32_t kFixedByteOffset = 0xB2;
inline constexpr uint8_t kFixedByte = 0x96;
inline constexpr uint32_t kComplementOffset = 0xBD;  // check byte over kTitleOffset .. kComplementOffset - 1
inline constexpr uint32_t kHeaderBytes = 0xC0;

inline constexpr uint8_t kBranchOpcode = 0xEA;  // top byte of an ARM B with condition "always"
// CRC-16/MODBUS of the boot logo: its published check value, so that no copy of the logo is needed.
inline constexpr uint16_t kLogoCrc = 0xCF56;

// CRC-16/MODBUS (polynomial 0xA001 reflected, initial 0xFFFF).
constexpr uint16_t Crc16Modbus(const uint8_t* bytes, size_t count) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<uint16_t>(crc >> 1 ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
        }
    }
    return crc;
}

// The complement check byte for the bytes kTitleOffset .. kComplementOffset - 1, given from
// the title on: -(their sum) - 0x19. The start-up refuses an image whose check byte differs.
constexpr uint8_t ComplementOfChecked(const uint8_t* fromTitle) {
    uint32_t sum = 0;
    for (uint32_t i = 0; i < kComplementOffset - kTitleOffset; ++i) {
        sum += fromTitle[i];
    }
    return static_cast<uint8_t>(0u - sum - 0x19u);
}

// The checks on a header of at least kHeaderBytes bytes.
constexpr uint8_t HeaderComplement(const uint8_t* header) {
    return ComplementOfChecked(header + kTitleOffset);
}
constexpr bool EntryIsBranch(const uint8_t* header) {
    return header[kEntryOffset + 3] == kBranchOpcode;
}
constexpr bool LogoIsTheHandhelds(const uint8_t* header) {
    return Crc16Modbus(header + kLogoOffset, kLogoBytes) == kLogoCrc;
}
constexpr bool FixedByteIsSet(const uint8_t* header) {
    return header[kFixedByteOffset] == kFixedByte;
}
constexpr bool ComplementMatches(const uint8_t* header) {
    return header[kComplementOffset] == HeaderComplement(header);
}

}  // namespace cartridge
