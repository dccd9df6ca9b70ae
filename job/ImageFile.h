#pragma once
// Reading a cartridge image and finding where its movie stream begins.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct ImageFile {
    std::vector<uint8_t> bytes;
    std::string error;  // empty when the whole file was read
};

ImageFile ReadImageFile(const std::string& path);

struct StreamLocation {
    size_t offset = 0;   // bytes from the start of the image
    std::string source;  // how the offset was found, for the report
    std::string error;   // empty when found
};

// The stream begins right behind the player. `given` (the user's --stream-offset) wins;
// otherwise the image must begin with this build's player, whose size is then the offset.
StreamLocation LocateStream(std::span<const uint8_t> image, std::optional<size_t> given);
