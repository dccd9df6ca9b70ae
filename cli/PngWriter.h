#pragma once
// PNG files of preview pictures, made by FFmpeg's PNG encoder.
#include <cstdint>
#include <span>
#include <string>

// Writes `rgb` (8-bit R, G, B, top row first, no row padding) as a PNG file.
// Answers an error text, empty on success.
[[nodiscard]] std::string WritePng(const std::string& path, int width, int height, std::span<const uint8_t> rgb);
