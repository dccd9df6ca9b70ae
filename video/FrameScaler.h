#pragma once
// Cuts the planned crop out of a decoded frame, resamples it to the output size and applies
// the colour pre-filter; pictures made for a screen are corrected for it before the pre-filter.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "video/ScreenAdjustment.h"
#include "video/ScreenCorrection.h"
#include "video/VideoPlan.h"

// Bytes of one row of a decoded frame: 3 bytes a pixel, padded to a multiple of 4.
size_t SourceStrideBytes(int32_t sourceWidth);
// Bytes of one whole decoded frame.
size_t SourceFrameBytes(const VideoPlan& plan);

// Scales the frames of one stream. The positions and weights that depend only on the plan
// are worked out once, when the scaler is made; they are the same numbers that the
// per-pixel formulas give, so every frame comes out exactly as if computed afresh.
class FrameScaler {
public:
    FrameScaler() = default;
    explicit FrameScaler(const VideoPlan& plan, const ScreenAdjustment& screen = {});

    // Writes outputWidth x outputHeight x 3 bytes (rows packed, same orientation and channel
    // order as the source) into `scaled`. `source` holds SourceFrameBytes(plan) bytes.
    // Allocates nothing.
    void Scale(const uint8_t* source, uint8_t* scaled) const;

private:
    // Where an output row or column samples (bilinear) or which source pixels it covers and
    // how much of each (area averaging).
    struct Sample {
        int32_t index = 0;      // source row or column
        int32_t next = 0;       // its neighbour, or itself at the crop's edge
        double fraction = 0.0;  // position between the two
    };
    struct Span {
        int32_t first = 0;       // first source row or column
        int32_t count = 0;       // how many
        size_t weights = 0;      // where their overlaps start in `overlaps_`
    };

    void ScaleBilinear(const uint8_t* source, uint8_t* out) const;
    void ScaleAreaAverage(const uint8_t* source, uint8_t* out) const;
    // Corrects one output pixel for the screen, pre-filters it and stores its three bytes.
    void Store(std::array<double, 3> pixel, int32_t row, int32_t column, uint8_t* out) const;
    const uint8_t* Pixel(const uint8_t* source, int32_t row, int32_t column) const {
        return source + size_t(row) * stride_ + size_t(column) * 3;
    }

    VideoPlan plan_;
    size_t stride_ = 0;
    bool bilinear_ = false;
    std::vector<Sample> rowSamples_, columnSamples_;
    std::vector<Span> rowSpans_, columnSpans_;
    std::vector<double> overlaps_;
    std::optional<ScreenCorrection> correction_;  // none: the pictures stay as they are
};
