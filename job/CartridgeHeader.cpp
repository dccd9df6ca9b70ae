#include "job/CartridgeHeader.h"

#include <fmt/format.h>

#include "format/Cartridge.h"

namespace {

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
    if (!check.logoOk)
        return fmt::format("the boot logo at offset {} differs from the handheld's", cartridge::kLogoOffset);
    if (!check.fixedByteOk)
        return fmt::format("the fixed byte at 0x{:02X} is not 0x{:02X}", cartridge::kFixedByteOffset,
                           cartridge::kFixedByte);
    if (!check.complementOk)
        return fmt::format("header complement 0x{:02X} at 0x{:02X} should be 0x{:02X}", check.complement,
                           cartridge::kComplementOffset, check.expectedComplement);
    return {};
}

}  // namespace

CartridgeHeaderCheck CheckCartridgeHeader(std::span<const uint8_t> image) {
    CartridgeHeaderCheck check;
    if (image.size() < cartridge::kHeaderBytes) {
        check.error = fmt::format("an image of {} bytes is shorter than the {}-byte cartridge header", image.size(),
                                  cartridge::kHeaderBytes);
        return check;
    }
    const uint8_t* header = image.data();
    check.entryIsBranch = cartridge::EntryIsBranch(header);
    check.logoOk = cartridge::LogoIsTheHandhelds(header);
    check.fixedByteOk = cartridge::FixedByteIsSet(header);
    check.expectedComplement = cartridge::HeaderComplement(header);
    check.complement = image[cartridge::kComplementOffset];
    check.complementOk = cartridge::ComplementMatches(header);
    check.title = PrintableTitle(image.subspan(cartridge::kTitleOffset, cartridge::kTitleBytes));
    check.error = FirstFailure(check);
    return check;
}
