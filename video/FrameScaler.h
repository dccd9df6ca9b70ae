#pragma once
// Cuts the planned crop out of a decoded frame, resamples it to the output size and applies
// the colour pre-filter.
#include <cstddef>
#include <cstdint>

#include "video/VideoPlan.h"

// Bytes of one row of a decoded frame: 3 bytes a pixel, padded to a multiple of 4.
size_t SourceStrideBytes(int32_t sourceWidth);
// Bytes of one whole decoded frame.
size_t SourceFrameBytes(const VideoPlan& plan);

// Writes outputWidth x outputHeight x 3 bytes (rows packed, same orientation and channel
// order as the source) into `scaled`. `source` holds SourceFrameBytes(plan) bytes.
// Allocates nothing.
void ScaleFrameInto(const VideoPlan& plan, const uint8_t* source, uint8_t* scaled);
