#include "video/ScreenCorrection.h"

#include <algorithm>
#include <cmath>

#include "video/ScreenModel.h"

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

constexpr int32_t kQuarterSteps = 255 * 4;
constexpr int kLightBits = 24;
constexpr int64_t kFullLight = int64_t{1} << kLightBits;  // the light of white
constexpr int kMatrixBits = 12;
// Light below kDarkLimit is looked up in steps of 4, the rest in steps of 1024: a step of
// either moves the drive by less than a fifth of a level wherever it is looked up.
constexpr int kDarkShift = 2;
constexpr int kBrightShift = 10;
constexpr int64_t kDarkLimit = int64_t{1} << 16;
constexpr double kDriveSteps = 16;  // steps of the drive values between levels
// Linear sRGB's luminance of red, green and blue: the grey that saturation moves towards.
constexpr std::array<double, 3> kLuminance{0.2126, 0.7152, 0.0722};

Matrix Inverse(const Matrix& m) {
    const auto cofactor = [&](size_t r, size_t c) {
        const size_t r0 = (r + 1) % 3, r1 = (r + 2) % 3, c0 = (c + 1) % 3, c1 = (c + 2) % 3;
        return m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0];
    };
    const double determinant = m[0][0] * cofactor(0, 0) + m[0][1] * cofactor(0, 1) + m[0][2] * cofactor(0, 2);
    Matrix inverse{};
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 3; ++c) inverse[r][c] = cofactor(c, r) / determinant;
    return inverse;
}

Matrix Product(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 3; ++c)
            for (size_t k = 0; k < 3; ++k) product[r][c] += a[r][k] * b[k][c];
    return product;
}

// Moves light towards (saturation < 0) or away from (> 0) the grey of the same luminance.
Matrix Saturation(int32_t saturation) {
    const double keep = 1.0 + saturation / 100.0;
    Matrix matrix{};
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 3; ++c) matrix[r][c] = (r == c ? keep : 0.0) + (1.0 - keep) * kLuminance[c];
    return matrix;
}

std::vector<uint16_t> DriveTable(double gamma, int shift, int64_t firstLight, int64_t lastLight) {
    std::vector<uint16_t> table(size_t((lastLight >> shift) + 1), 0);
    for (size_t index = size_t(firstLight >> shift); index < table.size(); ++index) {
        const double light = double(int64_t(index) << shift) / double(kFullLight);
        table[index] = uint16_t(std::pow(light, 1.0 / gamma) * 255.0 * kDriveSteps + 0.5);
    }
    return table;
}

}  // namespace

ScreenCorrection::ScreenCorrection(const ScreenAdjustment& adjustment) {
    // The light a monitor gives each value, with the user's gamma and brightness.
    const double exponent = kMonitorGamma * std::exp2(-adjustment.gamma / 100.0);
    const double brightness = std::exp2(adjustment.brightness / 100.0);
    light_.resize(kQuarterSteps + 1);
    for (int32_t step = 0; step <= kQuarterSteps; ++step)
        light_[size_t(step)] = int32_t(std::pow(step / double(kQuarterSteps), exponent) * brightness * double(kFullLight) + 0.5);
    // The screen's own mixing undone, after the user's saturation; in the frame's byte order.
    const ScreenResponse& response = ResponseOf(adjustment.screen);
    const Matrix rgb = Product(Inverse(response.mixing), Saturation(adjustment.saturation));
    for (size_t r = 0; r < 3; ++r)
        for (size_t c = 0; c < 3; ++c) matrix_[2 - r][2 - c] = int32_t(std::lround(rgb[r][c] * (1 << kMatrixBits)));
    darkDrive_ = DriveTable(response.gamma, kDarkShift, 0, kDarkLimit - 1);
    brightDrive_ = DriveTable(response.gamma, kBrightShift, kDarkLimit, kFullLight);
}

uint16_t ScreenCorrection::DriveOf(int64_t light) const {
    return light < kDarkLimit ? darkDrive_[size_t(light >> kDarkShift)] : brightDrive_[size_t(light >> kBrightShift)];
}

void ScreenCorrection::Correct(std::array<double, 3>& bgr) const {
    std::array<int64_t, 3> light{};
    for (size_t k = 0; k < 3; ++k)
        light[k] = light_[size_t(std::clamp(int32_t(bgr[k] * 4 + 0.5), 0, kQuarterSteps))];
    std::array<int64_t, 3> wanted{};
    for (size_t r = 0; r < 3; ++r)
        wanted[r] = std::max<int64_t>(0, (matrix_[r][0] * light[0] + matrix_[r][1] * light[1] + matrix_[r][2] * light[2]) >> kMatrixBits);
    // Light the screen cannot give: a channel past white scales the whole pixel down, which
    // keeps its hue and saturation and gives up light; a channel below black is left at 0.
    // (Pulling it towards grey instead left saturated colours nearly grey on this small gamut.)
    const int64_t brightest = std::max({wanted[0], wanted[1], wanted[2]});
    for (size_t k = 0; k < 3; ++k) {
        const int64_t shown = brightest > kFullLight ? wanted[k] * kFullLight / brightest : wanted[k];
        bgr[k] = DriveOf(shown) / kDriveSteps;
    }
}
