#pragma once
// A one-strip Cinepak frame repacked as a frame record, as the movie encoder repacks a
// compressor's frames: the strip id and the strip's chunks, padded to a multiple of 4.
#include <cstdint>
#include <span>

#include "tests/player/FrameRecord.h"

// Throws when the frame does not hold exactly one strip.
FrameRecord RecordFromCinepakFrame(std::span<const uint8_t> frame);
