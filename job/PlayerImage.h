#pragma once
// This build's player program, carried as the PlayerRom resource ("BINARY", 130).
#include <cstdint>
#include <span>

// The player's bytes; empty when the resource is missing from the program.
std::span<const uint8_t> PlayerImageBytes();

// True when `image` begins with `player`, byte for byte apart from the fields that image
// assembly writes (cartridge_image::kAssembledFields).
bool ImageBeginsWithPlayer(std::span<const uint8_t> image, std::span<const uint8_t> player);
