// Pictures made for a screen: the screen models, and how close the corrected pictures come to
// the movie through them.
#include <gtest/gtest.h>

#include <array>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "video/FrameScaler.h"
#include "video/MovieEncoder.h"
#include "video/ScreenModel.h"

namespace {

constexpr int32_t kSide = 64;

// A kSide x kSide frame, scaled at its own size with the 4-level dither, as a conversion's.
VideoPlan SquarePlan(int32_t preFilter) {
    VideoPlan plan;
    plan.sourceWidth = plan.sourceHeight = plan.outputWidth = plan.outputHeight = kSide;
    plan.preFilter = preFilter;
    return plan;
}

using Rgb = std::array<double, 3>;

// Frame bytes (blue, green, red; rows padded to 4 bytes) from f(row, column) giving R, G, B.
template <typename F>
std::vector<uint8_t> Frame(F f) {
    const size_t stride = SourceStrideBytes(kSide);
    std::vector<uint8_t> frame(stride * kSide, 0);
    for (int32_t r = 0; r < kSide; ++r)
        for (int32_t c = 0; c < kSide; ++c) {
            const Rgb rgb = f(r, c);
            for (size_t k = 0; k < 3; ++k) frame[size_t(r) * stride + size_t(c) * 3 + k] = uint8_t(std::lround(rgb[2 - k]));
        }
    return frame;
}

// A dim room: a face lit from one side before a blue-grey wall, with some texture.
std::vector<uint8_t> DarkScene() {
    return Frame([](int32_t r, int32_t c) {
        const double texture = 4 * std::sin(r * 0.9 + c * 0.4) * std::cos(c * 1.3);
        const double dx = (c - 34) / 14.0, dy = (r - 30) / 18.0;
        const double face = std::max(0.0, 1 - dx * dx - dy * dy);
        const double light = 0.35 + 0.65 * c / kSide;
        return Rgb{std::clamp(18 + 70 * face * light + 8 * (1 - face) + texture, 0.0, 255.0),
                   std::clamp(20 + 48 * face * light + 10 * (1 - face) + texture, 0.0, 255.0),
                   std::clamp(26 + 36 * face * light + 22 * (1 - face) + texture, 0.0, 255.0)};
    });
}

// Every hue across, saturation 0.6 to 1 down, bright.
std::vector<uint8_t> SaturatedHues() {
    return Frame([](int32_t r, int32_t c) {
        const double hue = 6.0 * c / kSide, saturation = 0.6 + 0.4 * r / (kSide - 1), value = 240;
        Rgb rgb{};
        for (size_t k = 0; k < 3; ++k) {
            const double distance = std::fabs(std::fmod(hue - 2.0 * double(k) + 6.0, 6.0) - 3.0);  // 0 at the hue's opposite
            const double share = std::clamp(distance - 1.0, 0.0, 1.0);
            rgb[k] = value * (1 - saturation * (1 - share));
        }
        return rgb;
    });
}

Rgb Lab(const Rgb& light) {
    // Linear sRGB to XYZ (D65), then CIE L*a*b*.
    const double x = 0.4124 * light[0] + 0.3576 * light[1] + 0.1805 * light[2];
    const double y = 0.2126 * light[0] + 0.7152 * light[1] + 0.0722 * light[2];
    const double z = 0.0193 * light[0] + 0.1192 * light[1] + 0.9505 * light[2];
    const auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
    const double fx = f(x / 0.95047), fy = f(y), fz = f(z / 1.08883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

// Mean CIE 1976 colour difference between the movie's frame as a monitor shows it and the
// converted picture as the screen shows it (the 15-bit values shown as 5-bit levels).
double MeanDifference(const std::vector<uint8_t>& source, const std::vector<uint8_t>& converted, Screen screen) {
    const size_t stride = SourceStrideBytes(kSide);
    double sum = 0;
    for (size_t r = 0; r < size_t(kSide); ++r)
        for (size_t c = 0; c < size_t(kSide); ++c) {
            const uint8_t* movie = &source[r * stride + c * 3];
            const uint8_t* shown = &converted[(r * kSide + c) * 3];
            Rgb wanted{}, drive{};
            for (size_t k = 0; k < 3; ++k) {
                wanted[k] = std::pow(movie[2 - k] / 255.0, kMonitorGamma);
                drive[k] = (shown[2 - k] >> 3) * 255.0 / 31;
            }
            const Rgb a = Lab(wanted), b = Lab(ScreenLight(screen, drive));
            sum += std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
        }
    return sum / (kSide * kSide);
}

std::vector<uint8_t> Scaled(const std::vector<uint8_t>& source, const ScreenAdjustment& adjustment, int32_t preFilter = 3) {
    std::vector<uint8_t> out(size_t(kSide) * kSide * 3);
    FrameScaler(SquarePlan(preFilter), adjustment).Scale(source.data(), out.data());
    return out;
}

TEST(ScreenModel, ShowsWhatTheScreenGives) {
    // Worked by hand: grey 128 is (128/255)^2.7 of white, shown as that to the power 1/2.2:
    // 109. Red lights all three sub-pixels: .82, .125, .195 of white, shown as 233, 99, 121.
    std::vector<uint8_t> pixels{128, 128, 128, 255, 0, 0, 0, 0, 0, 255, 255, 255};
    ShowThroughScreen(Screen::Gba, pixels);
    EXPECT_EQ(pixels, (std::vector<uint8_t>{109, 109, 109, 233, 99, 121, 0, 0, 0, 255, 255, 255}));
    std::vector<uint8_t> standard{128, 20, 200};
    ShowThroughScreen(Screen::Standard, standard);
    EXPECT_EQ(standard, (std::vector<uint8_t>{128, 20, 200}));
}

TEST(ScreenCorrection, AColourTheScreenCanShowComesBackThroughItsModel) {
    // A muted orange and a grey, corrected without the 15-bit reduction: through the model each
    // channel's light is the monitor's for the movie's value, within a level (the drive is rounded to whole levels). A swap of
    // the frame's blue and red would miss by far.
    for (Screen screen : {Screen::Gba, Screen::Sp}) {
        const auto source = Frame([](int32_t r, int32_t) { return r % 2 ? Rgb{150, 110, 80} : Rgb{128, 128, 128}; });
        const auto out = Scaled(source, {.screen = screen}, 0);
        for (size_t row : {size_t(0), size_t(1)}) {
            const uint8_t* pixel = &out[row * kSide * 3];
            const Rgb light = ScreenLight(screen, {double(pixel[2]), double(pixel[1]), double(pixel[0])});
            const Rgb wanted = row ? Rgb{150, 110, 80} : Rgb{128, 128, 128};
            for (size_t k = 0; k < 3; ++k)
                EXPECT_NEAR(std::pow(light[k], 1 / kMonitorGamma) * 255, wanted[k], 1.0) << int(screen) << " " << row << " " << k;
        }
    }
}

TEST(ScreenCorrection, StandardLeavesThePicturesAndAdjustmentsMoveThemTheirWay) {
    const auto source = DarkScene();
    const VideoPlan plan = SquarePlan(3);
    std::vector<uint8_t> today(size_t(kSide) * kSide * 3);
    FrameScaler(plan).Scale(source.data(), today.data());
    EXPECT_EQ(Scaled(source, {}), today);

    const auto flat = Frame([](int32_t, int32_t) { return Rgb{100, 64, 30}; });
    // Twice the light: 2^(1/2.2) = 1.370 times the values.
    const auto brighter = Scaled(flat, {.brightness = 100}, 0);
    EXPECT_EQ(brighter[2], 137);
    EXPECT_EQ(brighter[1], 88);
    EXPECT_EQ(brighter[0], 41);
    // Half the exponent: the square root of the values' share of white.
    const auto gamma = Scaled(flat, {.gamma = 100}, 0);
    EXPECT_EQ(gamma[2], 160);
    EXPECT_EQ(gamma[1], 128);
    // No saturation: one grey of the colour's luminance.
    const auto grey = Scaled(flat, {.saturation = -100}, 0);
    EXPECT_EQ(grey[0], grey[1]);
    EXPECT_EQ(grey[1], grey[2]);
    EXPECT_GT(grey[0], 64);
    EXPECT_LT(grey[0], 100);
}

TEST(ScreenCorrection, TheEncoderRefusesWhatNoSettingGives) {
    // A request filled in by other means than the settings reaches the run as refused
    // parameters, never as tables out of range.
    MovieEncoder encoder;
    EXPECT_TRUE(encoder.SetScreen({.screen = Screen::Sp, .brightness = -100, .gamma = 100, .saturation = 0}));
    EXPECT_FALSE(encoder.SetScreen({.brightness = 101}));
    EXPECT_FALSE(encoder.SetScreen({.gamma = -101}));
    EXPECT_FALSE(encoder.SetScreen({.saturation = 1000}));
    EXPECT_FALSE(encoder.SetScreen({.screen = Screen(3)}));
}

TEST(ScreenCorrection, TheUnlitScreenShowsTheMovieCloserThanUncorrected) {
    // The mean difference through the unlit screen's model, as converted plainly and for it.
    const auto through = [](const char* name, const std::vector<uint8_t>& movie) {
        const double plain = MeanDifference(movie, Scaled(movie, {}), Screen::Gba);
        const double corrected = MeanDifference(movie, Scaled(movie, {.screen = Screen::Gba}), Screen::Gba);
        std::printf("%s: mean dE %.2f plain, %.2f corrected\n", name, plain, corrected);
        return std::pair(plain, corrected);
    };
    const auto [darkPlain, darkCorrected] = through("dark scene", DarkScene());
    EXPECT_LT(darkCorrected, 0.4 * darkPlain);
    EXPECT_LT(darkCorrected, darkPlain - 3);
    // Most of these colours lie outside what the screen can show: a smaller gain.
    const auto [brightPlain, brightCorrected] = through("saturated hues", SaturatedHues());
    EXPECT_LT(brightCorrected, 0.9 * brightPlain);
    EXPECT_LT(brightCorrected, brightPlain - 4);
}

}  // namespace
