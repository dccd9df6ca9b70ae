// Frame scaler and pre-filter: worked figures checked by hand.
#include <gtest/gtest.h>

#include <vector>

#include "video/FrameScaler.h"

namespace {

VideoPlan PlanOf(int32_t sourceWidth, int32_t sourceHeight, int32_t outputWidth, int32_t outputHeight,
                 int32_t preFilter) {
    VideoPlan plan;
    plan.sourceWidth = sourceWidth;
    plan.sourceHeight = sourceHeight;
    plan.outputWidth = outputWidth;
    plan.outputHeight = outputHeight;
    plan.preFilter = preFilter;
    return plan;
}

// A decoded frame (rows padded to 4 bytes) with every byte set by f(row, column, channel).
template <typename F>
std::vector<uint8_t> SourceFrame(const VideoPlan& plan, F f) {
    std::vector<uint8_t> frame(SourceFrameBytes(plan), 0xEE);
    const size_t stride = SourceStrideBytes(plan.sourceWidth);
    for (int32_t r = 0; r < plan.sourceHeight; ++r)
        for (int32_t c = 0; c < plan.sourceWidth; ++c)
            for (int k = 0; k < 3; ++k) frame[r * stride + c * 3 + k] = f(r, c, k);
    return frame;
}

std::vector<uint8_t> Scale(const VideoPlan& plan, const std::vector<uint8_t>& source) {
    std::vector<uint8_t> out(size_t(plan.outputWidth) * plan.outputHeight * 3);
    FrameScaler(plan).Scale(source.data(), out.data());
    return out;
}

uint8_t At(const VideoPlan& plan, const std::vector<uint8_t>& out, int row, int column, int channel) {
    return out[(size_t(row) * plan.outputWidth + column) * 3 + channel];
}

TEST(FrameScaler, EqualSizeCopiesPixelsAndRepacksRows) {
    // 6 pixels wide: 18 bytes a row, padded to 20 in the source, packed in the output.
    VideoPlan plan = PlanOf(8, 4, 8, 4, 0);
    plan.sourceWidth = 10;
    plan.trimRight = 2;
    auto pattern = [](int r, int c, int k) { return uint8_t(r * 50 + c * 7 + k); };
    const auto source = SourceFrame(plan, pattern);
    const auto out = Scale(plan, source);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c)
            for (int k = 0; k < 3; ++k) ASSERT_EQ(At(plan, out, r, c, k), pattern(r, c, k)) << r << "," << c;
}

TEST(FrameScaler, HalvingAveragesPairs) {
    // Row 0 of an 8 x 4 crop holds bytes 10 and 11 in its first two pixels.
    for (int mode : {0, 1}) {
        const VideoPlan plan = PlanOf(8, 4, 4, 4, mode);
        const auto source = SourceFrame(plan, [](int, int c, int) { return uint8_t(c == 0 ? 10 : c == 1 ? 11 : 0); });
        const auto out = Scale(plan, source);
        EXPECT_EQ(At(plan, out, 0, 0, 0), mode == 0 ? 11 : 8);
    }
}

TEST(FrameScaler, AreaAverageWeighsPartialPixels) {
    // 6 columns to 4: output column 0 covers source columns 0 and half of 1.
    const VideoPlan plan = PlanOf(6, 4, 4, 4, 0);
    const auto source = SourceFrame(plan, [](int, int c, int) { return uint8_t(c == 0 ? 30 : c == 1 ? 90 : 0); });
    const auto out = Scale(plan, source);
    EXPECT_EQ(At(plan, out, 0, 0, 0), 50);  // (30 + 0.5 x 90) / 1.5
    EXPECT_EQ(At(plan, out, 0, 1, 0), 30);  // (0.5 x 90 + 0) / 1.5
}

TEST(FrameScaler, EnlargingHitsTheCropEdgesExactly) {
    // A 4 x 2 crop (columns 2..5, rows 1..2 of a 8 x 4 frame) grows to 8 x 4: bilinear.
    VideoPlan plan = PlanOf(8, 4, 8, 4, 0);
    plan.trimLeft = 2;
    plan.trimRight = 2;
    plan.trimTop = 1;
    plan.trimBottom = 1;
    const auto source = SourceFrame(plan, [](int r, int c, int k) { return uint8_t(r * 40 + c * 10 + k); });
    const auto out = Scale(plan, source);
    EXPECT_EQ(At(plan, out, 0, 0, 0), 40 + 20);  // first crop row, first crop column
    EXPECT_EQ(At(plan, out, 0, 7, 0), 40 + 50);  // last crop column, never column 6
    EXPECT_EQ(At(plan, out, 3, 7, 2), 80 + 50 + 2);  // last row and column, repeated at the edge
    // Column 1 lies at 3/7 of the way from crop column 0 to 1: 60 + 10 x 3/7 + 0.5 = 64.79.
    EXPECT_EQ(At(plan, out, 0, 1, 0), 64);
    // Row 1 lies at 1/3 of the way between the two crop rows: 60 + 40 / 3 + 0.5 = 73.8.
    EXPECT_EQ(At(plan, out, 1, 0, 0), 73);
}

TEST(FrameScaler, WiderButLowerCropUsesBilinearBothWays) {
    // 8 x 2 to 4 x 4 shrinks horizontally, grows vertically: bilinear samples, no averaging.
    const VideoPlan plan = PlanOf(8, 2, 4, 4, 0);
    const auto source = SourceFrame(plan, [](int, int c, int) { return uint8_t(c * 10); });
    const auto out = Scale(plan, source);
    // x = j x 7 / 3: 0, 2.33, 4.67, 7.
    EXPECT_EQ(At(plan, out, 0, 0, 0), 0);
    EXPECT_EQ(At(plan, out, 0, 1, 0), 23);
    EXPECT_EQ(At(plan, out, 0, 2, 0), 47);
    EXPECT_EQ(At(plan, out, 0, 3, 0), 70);
}

TEST(FrameScaler, DitherPatternsFollowRowAndColumnParity) {
    for (int mode : {2, 3}) {
        const VideoPlan plan = PlanOf(4, 4, 4, 4, mode);
        const auto out = Scale(plan, SourceFrame(plan, [](int, int, int) { return uint8_t(100); }));
        // Offsets 0.5 / 4.5 (2-level) and 0.5 / 6.5 / 4.5 / 2.5 (4-level) round alike on 100.
        const int expected[2][2] = {{96, 104}, {104, 96}};
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                for (int k = 0; k < 3; ++k)
                    EXPECT_EQ(At(plan, out, i, j, k), expected[i & 1][j & 1]) << "mode " << mode << " at " << i << "," << j;
    }
}

TEST(FrameScaler, DitherClampsBeforeDroppingBits) {
    const VideoPlan plan = PlanOf(4, 4, 4, 4, 3);
    const auto out = Scale(plan, SourceFrame(plan, [](int, int, int) { return uint8_t(250); }));
    EXPECT_EQ(At(plan, out, 0, 1, 0), 248) << "256.5 clamps to 255, not wraps to 0";
    EXPECT_EQ(At(plan, out, 0, 0, 0), 248);
}

TEST(FrameScaler, DitherPhaseStartsAtTheFirstCropRowInTheBuffer) {
    // Trimming one buffer row moves the phase: output row 0 is source row 1.
    VideoPlan plan = PlanOf(4, 5, 4, 4, 2);
    plan.trimTop = 1;
    const auto out = Scale(plan, SourceFrame(plan, [](int, int, int) { return uint8_t(100); }));
    EXPECT_EQ(At(plan, out, 0, 0, 0), 96);
    EXPECT_EQ(At(plan, out, 0, 1, 0), 104);
}

TEST(FrameScaler, ChannelsAreNeverMixed) {
    const VideoPlan plan = PlanOf(640, 360, 240, 136, 0);
    const auto out = Scale(plan, SourceFrame(plan, [](int, int, int k) { return uint8_t(k == 0 ? 10 : k == 1 ? 120 : 240); }));
    for (size_t p = 0; p < out.size(); p += 3) {
        ASSERT_EQ(out[p], 10);
        ASSERT_EQ(out[p + 1], 120);
        ASSERT_EQ(out[p + 2], 240);
    }
}

}  // namespace

namespace {

// Area averaging as its formula reads, pixel by pixel, in the order of its additions: output
// pixel (i, j) covers source rows top + i x crop / output up to the next one, and columns alike,
// each source pixel weighed by the product of its overlaps; no pre-filter.
std::vector<uint8_t> AreaAverageByFormula(const VideoPlan& plan, const std::vector<uint8_t>& source) {
    const size_t stride = SourceStrideBytes(plan.sourceWidth);
    auto cover = [](int32_t margin, int32_t crop, int32_t output, int32_t i) {
        return std::pair{margin + double(int64_t(i) * crop) / output, margin + double(int64_t(i + 1) * crop) / output};
    };
    auto overlap = [](int32_t pixel, std::pair<double, double> span) {
        return std::min(pixel + 1.0, span.second) - std::max(double(pixel), span.first);
    };
    std::vector<uint8_t> out;
    for (int32_t i = 0; i < plan.outputHeight; ++i) {
        const auto rows = cover(plan.trimTop, plan.CropHeight(), plan.outputHeight, i);
        for (int32_t j = 0; j < plan.outputWidth; ++j) {
            const auto columns = cover(plan.trimLeft, plan.CropWidth(), plan.outputWidth, j);
            double weightSum = 0, sums[3] = {0, 0, 0};
            for (int32_t r = int32_t(rows.first); double(r) < rows.second; ++r)
                for (int32_t c = int32_t(columns.first); double(c) < columns.second; ++c) {
                    const double w = overlap(c, columns) * overlap(r, rows);
                    weightSum += w;
                    for (int k = 0; k < 3; ++k) sums[k] += w * source[size_t(r) * stride + size_t(c) * 3 + size_t(k)];
                }
            for (int k = 0; k < 3; ++k) out.push_back(uint8_t(sums[k] / weightSum + 0.5));
        }
    }
    return out;
}

}  // namespace

// The scaler's worked-out positions and weights give the formula's bytes to the last bit, at
// shrinks by whole and by broken ratios, with margins, on a noisy picture.
TEST(FrameScaler, AreaAverageGivesTheFormulasBytesExactly) {
    struct Shrink {
        int32_t sourceWidth, sourceHeight, outputWidth, outputHeight, trimLeft, trimTop, trimRight, trimBottom;
    };
    const Shrink shrinks[] = {
        {640, 360, 240, 136, 0, 0, 0, 0},
        {1920, 1080, 240, 136, 0, 0, 0, 0},
        {720, 480, 212, 160, 7, 3, 5, 1},
        {333, 250, 240, 160, 1, 2, 3, 4},
    };
    for (const Shrink& shrink : shrinks) {
        VideoPlan plan = PlanOf(shrink.sourceWidth, shrink.sourceHeight, shrink.outputWidth, shrink.outputHeight, 0);
        plan.trimLeft = shrink.trimLeft;
        plan.trimTop = shrink.trimTop;
        plan.trimRight = shrink.trimRight;
        plan.trimBottom = shrink.trimBottom;
        const auto source = SourceFrame(plan, [](int r, int c, int k) { return uint8_t((r * 7919 + c * 104729 + k * 31) % 251); });
        EXPECT_EQ(Scale(plan, source), AreaAverageByFormula(plan, source)) << shrink.sourceWidth << " x " << shrink.sourceHeight;
    }
}
