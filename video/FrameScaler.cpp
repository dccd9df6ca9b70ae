#include "video/FrameScaler.h"

#include <algorithm>

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

// Bilinear position of output index i: (i x (crop - 1)) / (output - 1), from the crop's start.
template <typename Sample>
std::vector<Sample> BilinearSamples(int32_t margin, int32_t cropSize, int32_t outputSize) {
    std::vector<Sample> samples(static_cast<size_t>(outputSize));
    for (int32_t i = 0; i < outputSize; ++i) {
        const double position = double(int64_t(i) * (cropSize - 1)) / (outputSize - 1);
        const int32_t whole = int32_t(position);
        samples[size_t(i)] = {margin + whole, margin + (whole < cropSize - 1 ? whole + 1 : whole), position - whole};
    }
    return samples;
}

}  // namespace

size_t SourceStrideBytes(int32_t sourceWidth) {
    return (size_t(sourceWidth) * 3 + 3) & ~size_t(3);
}

size_t SourceFrameBytes(const VideoPlan& plan) {
    return SourceStrideBytes(plan.sourceWidth) * size_t(plan.sourceHeight);
}

FrameScaler::FrameScaler(const VideoPlan& plan, const ScreenAdjustment& screen)
    : plan_(plan),
      stride_(SourceStrideBytes(plan.sourceWidth)),
      bilinear_(plan.outputWidth > plan.CropWidth() || plan.outputHeight > plan.CropHeight()) {
    if (!screen.LeavesPictures()) correction_.emplace(screen);
    if (bilinear_) {
        rowSamples_ = BilinearSamples<Sample>(plan.trimTop, plan.CropHeight(), plan.outputHeight);
        columnSamples_ = BilinearSamples<Sample>(plan.trimLeft, plan.CropWidth(), plan.outputWidth);
        return;
    }
    // Output pixel i covers source coordinates margin + i x crop / output up to the next one;
    // each source pixel counts by the length of it that lies inside.
    auto spans = [this](int32_t margin, int32_t cropSize, int32_t outputSize) {
        std::vector<Span> result(static_cast<size_t>(outputSize));
        for (int32_t i = 0; i < outputSize; ++i) {
            const double from = margin + double(int64_t(i) * cropSize) / outputSize;
            const double to = margin + double(int64_t(i + 1) * cropSize) / outputSize;
            const int32_t first = int32_t(from);
            int32_t end = int32_t(to);
            if (double(end) != to) ++end;
            result[size_t(i)] = {first, end - first, overlaps_.size()};
            for (int32_t pixel = first; pixel < end; ++pixel)
                overlaps_.push_back(std::min(pixel + 1.0, to) - std::max(double(pixel), from));
        }
        return result;
    };
    rowSpans_ = spans(plan.trimTop, plan.CropHeight(), plan.outputHeight);
    columnSpans_ = spans(plan.trimLeft, plan.CropWidth(), plan.outputWidth);
}

void FrameScaler::Scale(const uint8_t* source, uint8_t* scaled) const {
    if (bilinear_)
        ScaleBilinear(source, scaled);
    else
        ScaleAreaAverage(source, scaled);
}

// Used when the picture grows in either direction.
void FrameScaler::ScaleBilinear(const uint8_t* source, uint8_t* out) const {
    for (int32_t i = 0; i < plan_.outputHeight; ++i) {
        const Sample& row = rowSamples_[size_t(i)];
        const double fy = row.fraction;
        for (int32_t j = 0; j < plan_.outputWidth; ++j) {
            const Sample& column = columnSamples_[size_t(j)];
            const double fx = column.fraction;
            const uint8_t* pa = Pixel(source, row.index, column.index);
            const uint8_t* pb = Pixel(source, row.index, column.next);
            const uint8_t* pc = Pixel(source, row.next, column.index);
            const uint8_t* pd = Pixel(source, row.next, column.next);
            std::array<double, 3> pixel{};
            for (size_t k = 0; k < 3; ++k) {
                const double a = pa[k], b = pb[k], c = pc[k], d = pd[k];
                pixel[k] = a + fx * ((b - a) + (d - b - c + a) * fy) + (c - a) * fy;
            }
            Store(pixel, i, j, out);
            out += 3;
        }
    }
}

// Used when the picture shrinks or keeps its size in both directions: exact area averaging.
void FrameScaler::ScaleAreaAverage(const uint8_t* source, uint8_t* out) const {
    for (int32_t i = 0; i < plan_.outputHeight; ++i) {
        const Span& rows = rowSpans_[size_t(i)];
        for (int32_t j = 0; j < plan_.outputWidth; ++j) {
            const Span& columns = columnSpans_[size_t(j)];
            const double* columnOverlaps = &overlaps_[columns.weights];
            double weightSum = 0.0;
            double sums[3] = {0.0, 0.0, 0.0};
            for (int32_t r = 0; r < rows.count; ++r) {
                const double wy = overlaps_[rows.weights + size_t(r)];
                const uint8_t* p = Pixel(source, rows.first + r, columns.first);
                for (int32_t c = 0; c < columns.count; ++c, p += 3) {
                    const double w = columnOverlaps[c] * wy;
                    weightSum += w;
                    sums[0] += w * p[0];
                    sums[1] += w * p[1];
                    sums[2] += w * p[2];
                }
            }
            Store({sums[0] / weightSum, sums[1] / weightSum, sums[2] / weightSum}, i, j, out);
            out += 3;
        }
    }
}

void FrameScaler::Store(std::array<double, 3> pixel, int32_t row, int32_t column, uint8_t* out) const {
    if (correction_) correction_->Correct(pixel);
    for (size_t k = 0; k < 3; ++k) out[k] = PreFilter(pixel[k], plan_.preFilter, row, column);
}
