#include "source/internal/PictureOrientation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/display.h>
}

namespace {

// A rounding scaler leaves ratios such as 404:405 behind: those pixels are square.
constexpr double kSquareTolerance = 0.01;

// The display matrix turns the picture counterclockwise by the angle libavutil reads from
// it; players turn the decoded picture clockwise by its negation.
int ClockwiseTurnsOf(const AVStream& stream) {
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t)) return 0;
    int32_t entries[9];
    std::memcpy(entries, matrix, sizeof entries);
    const double degrees = -av_display_rotation_get(entries);
    if (!std::isfinite(degrees)) return 0;
    const long rounded = std::lround(degrees);
    if (rounded % 90 != 0) return 0;
    return int(((rounded / 90) % 4 + 4) % 4);
}

}  // namespace

AVRational SampleAspectOf(const AVStream& stream) {
    const AVRational ofStream = stream.sample_aspect_ratio;
    return ofStream.num > 0 && ofStream.den > 0 ? ofStream : stream.codecpar->sample_aspect_ratio;
}

PictureOrientation OrientationOf(const AVStream& stream) {
    PictureOrientation orientation{stream.codecpar->width, stream.codecpar->height, ClockwiseTurnsOf(stream)};
    const AVRational aspect = SampleAspectOf(stream);
    if (aspect.num <= 0 || aspect.den <= 0) return orientation;
    const double ratio = av_q2d(aspect);
    if (std::abs(ratio - 1.0) <= kSquareTolerance) return orientation;
    if (ratio > 1.0)
        orientation.squareHeight = std::max(1, int(std::lround(orientation.squareHeight / ratio)));
    else
        orientation.squareWidth = std::max(1, int(std::lround(orientation.squareWidth * ratio)));
    return orientation;
}

void TurnPicture(const uint8_t* source, size_t sourceStride, int width, int height, int clockwiseTurns,
                 uint8_t* target, size_t targetStride) {
    const PictureOrientation turned{width, height, clockwiseTurns};
    const int shownWidth = turned.DisplayWidth();
    const int shownHeight = turned.DisplayHeight();
    for (int y = 0; y < shownHeight; ++y) {
        uint8_t* row = target + size_t(shownHeight - 1 - y) * targetStride;
        for (int x = 0; x < shownWidth; ++x) {
            // The source point that lands on (x, y) of the shown picture.
            int sx = x, sy = y;
            switch (clockwiseTurns) {
                case 1: sx = y, sy = height - 1 - x; break;
                case 2: sx = width - 1 - x, sy = height - 1 - y; break;
                case 3: sx = width - 1 - y, sy = x; break;
                default: break;
            }
            std::memcpy(row + size_t(x) * 3, source + size_t(sy) * sourceStride + size_t(sx) * 3, 3);
        }
    }
}
