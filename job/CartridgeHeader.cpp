#include "job/CartridgeHeader.h"

#include <fmt/format.h>

namespace {

constexpr size_t kLogoOffset = 4;
constexpr size_t kLogoBytes = 156;
constexpr size_t kFixedByteOffset = 0xB2;
// CRC-16/MODBUS of the boot logo the handheld compares; the logo's own published check value.
constexpr uint16_t kLogoCrc = 0xCF56;

// CRC-16/MODBUS (polynomial 0xA001 reflected, initial 0xFFFF): 156 bytes do not call for a library.
uint16_t Crc16Modbus(std::span<const uint8_t> bytes) {
    uint16_t crc = 0xFFFF;
    for (uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? uint16_t(crc >> 1 ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

std::string PrintableTitle(std::span<const uint8_t> field) {
    std::string title;
    for (uint8_t byte : field) {
        if (byte == 0) break;
        title += (byte >= 0x20 && byte < 0x7F) ? char(byte) : '?';
    }
    return title;
}

std::string FirstFailure(const CartridgeHeaderCheck& check) {
    if (!check.entryIsBranch) return "the header's entry at offset 0 is not an ARM branch";
    if (!check.logoOk) return "the boot logo at offset 4 differs from the handheld's";
    if (!check.fixedByteOk) return "the fixed byte at 0xB2 is not 0x96";
    if (!check.complementOk)
        return fmt::format("header complement 0x{:02X} at 0xBD should be 0x{:02X}", check.complement,
                           check.expectedComplement);
    return {};
}

}  // namespace

uint8_t HeaderComplement(std::span<const uint8_t> header) {
    unsigned sum = 0;
    for (size_t at = kTitleOffset; at < kComplementOffset; ++at) sum += header[at];
    return uint8_t(-(sum + 0x19));
}

CartridgeHeaderCheck CheckCartridgeHeader(std::span<const uint8_t> image) {
    CartridgeHeaderCheck check;
    if (image.size() < kCartridgeHeaderBytes) {
        check.error = fmt::format("an image of {} bytes is shorter than the {}-byte cartridge header", image.size(),
                                  kCartridgeHeaderBytes);
        return check;
    }
    check.entryIsBranch = image[3] == 0xEA;
    check.logoOk = Crc16Modbus(image.subspan(kLogoOffset, kLogoBytes)) == kLogoCrc;
    check.fixedByteOk = image[kFixedByteOffset] == 0x96;
    check.expectedComplement = HeaderComplement(image);
    check.complement = image[kComplementOffset];
    check.complementOk = check.complement == check.expectedComplement;
    check.title = PrintableTitle(image.subspan(kTitleOffset, kTitleBytes));
    check.error = FirstFailure(check);
    return check;
}
