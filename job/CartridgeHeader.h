#pragma once
// The checks the handheld's start-up makes on a cartridge header before it runs the image,
// as a report for people. The header's layout and rules are format/Cartridge.h's.
#include <cstdint>
#include <span>
#include <string>

struct CartridgeHeaderCheck {
    bool entryIsBranch = false;  // the entry is an ARM B, as it must be
    bool logoOk = false;         // the boot logo is the handheld's
    bool fixedByteOk = false;
    bool complementOk = false;   // the check byte matches the header
    uint8_t complement = 0;
    uint8_t expectedComplement = 0;
    std::string title;  // the printable part of the title field
    std::string error;  // the first failed check, empty when all pass
};

CartridgeHeaderCheck CheckCartridgeHeader(std::span<const uint8_t> image);
