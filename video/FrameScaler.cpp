#include "video/FrameScaler.h"

#include <algorithm>
#include <array>

#include "video/MovieStreamLayout.h"

namespace {

// Dither offsets by (output row & 1, output column & 1).
constexpr double kTwoLevelDither[2][2] = {{0.5, 4.5}, {4.5, 0.5}};
constexpr double kFourLevelDither[2][2] = {{0.5, 6.5}, {4.5, 2.5}};

uint8_t PreFilter(double v, int32_t mode, int32_t row, int32_t column) {
    switch (mode) {
    case 0:
        return uint8_t(v + 0.5);
    case 1:
        return uint8_t(int32_t(v + 0.5) & ~7);
    default: {
        const auto& pattern = mode == 2 ? kTwoLevelDither : kFourLevelDither;
        const double dithered = std::clamp(v + pattern[row & 1][column & 1], 0.0, 255.0);
        return uint8_t(int32_t(dithered) & ~7);
    }
    }
}

struct Frame {
    const uint8_t* bytes;
    size_t stride;
    const uint8_t* Pixel(int32_t row, int32_t column) const { return bytes + size_t(row) * stride + size_t(column) * 3; }
};

// Used when the picture grows in either direction.
void ScaleBilinear(const VideoPlan& plan, const Frame& source, uint8_t* out) {
    const int32_t cropWidth = plan.CropWidth();
    const int32_t cropHeight = plan.CropHeight();
    for (int32_t i = 0; i < plan.outputHeight; ++i) {
        const double y = double(int64_t(i) * (cropHeight - 1)) / (plan.outputHeight - 1);
        const int32_t yi = int32_t(y);
        const double fy = y - yi;
        const int32_t row = plan.trimTop + yi;
        const int32_t nextRow = yi < cropHeight - 1 ? row + 1 : row;
        for (int32_t j = 0; j < plan.outputWidth; ++j) {
            const double x = double(int64_t(j) * (cropWidth - 1)) / (plan.outputWidth - 1);
            const int32_t xi = int32_t(x);
            const double fx = x - xi;
            const int32_t column = plan.trimLeft + xi;
            const int32_t nextColumn = xi < cropWidth - 1 ? column + 1 : column;
            const uint8_t* pa = source.Pixel(row, column);
            const uint8_t* pb = source.Pixel(row, nextColumn);
            const uint8_t* pc = source.Pixel(nextRow, column);
            const uint8_t* pd = source.Pixel(nextRow, nextColumn);
            for (int k = 0; k < 3; ++k) {
                const double a = pa[k], b = pb[k], c = pc[k], d = pd[k];
                const double v = a + fx * ((b - a) + (d - b - c + a) * fy) + (c - a) * fy;
                *out++ = PreFilter(v, plan.preFilter, i, j);
            }
        }
    }
}

struct Extent {
    double from, to;   // source coordinates, `to` exclusive
    int32_t first, end;  // whole pixels touched: trunc(from) .. ceil(to), end exclusive
};

Extent MakeExtent(int32_t margin, int32_t index, int32_t cropSize, int32_t outputSize) {
    Extent e;
    e.from = margin + double(int64_t(index) * cropSize) / outputSize;
    e.to = margin + double(int64_t(index + 1) * cropSize) / outputSize;
    e.first = int32_t(e.from);
    e.end = int32_t(e.to);
    if (double(e.end) != e.to) ++e.end;
    return e;
}

double Overlap(int32_t pixel, const Extent& e) {
    return std::min(pixel + 1.0, e.to) - std::max(double(pixel), e.from);
}

// Used when the picture shrinks or keeps its size in both directions: exact area averaging.
void ScaleAreaAverage(const VideoPlan& plan, const Frame& source, uint8_t* out) {
    std::array<Extent, movie_stream::kMaxWidth> columns;
    for (int32_t j = 0; j < plan.outputWidth; ++j)
        columns[j] = MakeExtent(plan.trimLeft, j, plan.CropWidth(), plan.outputWidth);
    for (int32_t i = 0; i < plan.outputHeight; ++i) {
        const Extent rows = MakeExtent(plan.trimTop, i, plan.CropHeight(), plan.outputHeight);
        for (int32_t j = 0; j < plan.outputWidth; ++j) {
            const Extent& cols = columns[j];
            double weightSum = 0.0;
            double sums[3] = {0.0, 0.0, 0.0};
            for (int32_t r = rows.first; r < rows.end; ++r) {
                const double wy = Overlap(r, rows);
                for (int32_t c = cols.first; c < cols.end; ++c) {
                    const double w = Overlap(c, cols) * wy;
                    const uint8_t* p = source.Pixel(r, c);
                    weightSum += w;
                    sums[0] += w * p[0];
                    sums[1] += w * p[1];
                    sums[2] += w * p[2];
                }
            }
            for (int k = 0; k < 3; ++k) *out++ = PreFilter(sums[k] / weightSum, plan.preFilter, i, j);
        }
    }
}

}  // namespace

size_t SourceStrideBytes(int32_t sourceWidth) {
    return (size_t(sourceWidth) * 3 + 3) & ~size_t(3);
}

size_t SourceFrameBytes(const VideoPlan& plan) {
    return SourceStrideBytes(plan.sourceWidth) * size_t(plan.sourceHeight);
}

void ScaleFrameInto(const VideoPlan& plan, const uint8_t* source, uint8_t* scaled) {
    const Frame frame{source, SourceStrideBytes(plan.sourceWidth)};
    if (plan.outputWidth > plan.CropWidth() || plan.outputHeight > plan.CropHeight())
        ScaleBilinear(plan, frame, scaled);
    else
        ScaleAreaAverage(plan, frame, scaled);
}
