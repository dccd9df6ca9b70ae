#pragma once
// The picture geometry and frame-rate plan of one conversion.
#include <cstdint>

#include "platform/MediaFormats.h"

// Margins in source pixels, cut before scaling. Vertical margins count buffer rows:
// the decoded frame is bottom-up, so `top` cuts the lower edge of the picture.
struct Trims {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct VideoPlan {
    // Parameters (stored by SetParameters; the probe's rate by the source).
    int32_t trimLeft = 0, trimTop = 0, trimRight = 0, trimBottom = 0;
    bool autoTrim = false;
    int32_t outputWidth = -1, outputHeight = -1;  // -1: automatic
    int32_t frameRateMode = 0;                    // -1 automatic, 0 all frames, 1..7 fixed reductions
    int32_t preFilter = 0;                        // 0..3
    int32_t bitrate = 0;                          // kilobytes (1024 bytes) per second
    // Bytes per second beyond bitrate x 1024, below 1024: a rate finer than a kilobyte, which a
    // cartridge of a given size may need (a few bytes a second make kilobytes of a long movie).
    uint32_t extraBytesPerSecond = 0;
    uint32_t probedRate = 0, probedScale = 0;     // first AVI video stream's rate / scale; 0: none

    // Settled by PlanVideo.
    int32_t sourceWidth = 0, sourceHeight = 0;
    // Decoded frames per second = numerator / denominator, before any reduction: the clock
    // on which the source delivers its frames.
    uint32_t sourceRateNumerator = 0, sourceRateDenominator = 0;
    uint32_t rateNumerator = 0, rateDenominator = 0;  // output frames per second = numerator / denominator
    uint32_t decimationDivisor = 0;                   // mode -1: one frame kept in this many
    // One frame kept in this many of those the mode keeps, so that at most one frame falls
    // on each display refresh: the player cannot show more.
    uint32_t refreshDivisor = 1;
    uint32_t averageFrameBytes = 0;                   // byte budget of one kept frame
    uint32_t frameStep = 0;                           // kept frames per display refresh, 16.16

    int32_t CropWidth() const { return sourceWidth - trimLeft - trimRight; }
    int32_t CropHeight() const { return sourceHeight - trimTop - trimBottom; }
};

// The data rate the budget holds: bitrate x 1024 + extraBytesPerSecond.
uint64_t BytesPerSecond(const VideoPlan& plan);
// Sets bitrate and extraBytesPerSecond for a rate of at least 1024 bytes per second.
void SetBytesPerSecond(VideoPlan& plan, uint32_t bytesPerSecond);

// Settles geometry, rate, decimation, budget and frame step for a decoded video format.
// False when the format is unusable; fields set before the failing step keep their values.
[[nodiscard]] bool PlanVideo(VideoPlan& plan, const VideoInfoHeader& format);

// Whether the margins leave a picture of a frame of this size.
bool MarginsLeavePicture(const VideoPlan& plan, const BitmapInfoHeader& header);

// round4: add 2.5, truncate, clear the two lowest bits.
int32_t Round4(double x);
