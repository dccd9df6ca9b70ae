#pragma once
// Checks a compressed frame before it becomes a FrameRecord: one Cinepak frame with exactly
// one strip spanning the whole picture.
#include <cstdint>
#include <optional>
#include <span>

struct CinepakStrip {
    uint16_t stripId = 0;
    std::span<const uint8_t> chunks;  // the strip's content after its 12-byte header
};

// `frame` holds the bytes the compressor reported. None when any field disagrees.
std::optional<CinepakStrip> CheckCinepakFrame(std::span<const uint8_t> frame, int32_t width, int32_t height);
