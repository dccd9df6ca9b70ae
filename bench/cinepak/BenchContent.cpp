#include "bench/cinepak/BenchContent.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

#include "bench/cinepak/Procedural.h"

namespace cinepak_bench {

namespace {

constexpr int kSourceWidth = 960;
constexpr int kSourceHeight = 640;

Rgb Terrain(double height, double moisture) {
    if (height < 0.42) return {30 + 60 * height, 70 + 120 * height, 140 + 150 * height};  // water
    if (height < 0.47) return {200, 185, 140};                                             // sand
    if (height < 0.68) return {60 + 80 * moisture, 110 + 70 * (1 - moisture), 40 + 30 * moisture};
    if (height < 0.8) return {110 + 60 * moisture, 90 + 40 * moisture, 70};                // rock
    return {235, 235, 245};                                                                // snow
}

class SourceImage {
public:
    SourceImage() : pixels_(size_t(kSourceWidth) * kSourceHeight) {
        for (int y = 0; y < kSourceHeight; ++y)
            for (int x = 0; x < kSourceWidth; ++x)
                At(x, y) = Terrain(Fractal(x, y, 11), Fractal(x + 5000, y, 29));
        std::mt19937 random(42);
        std::uniform_real_distribution<double> unit(0, 1);
        for (int i = 0; i < 45; ++i) Building(random, unit);
        for (int i = 0; i < 30; ++i) Disc(random, unit);
        for (int i = 0; i < 25; ++i) Line(random, unit);
    }

    // Bilinear sample at a source position.
    Rgb Sample(double x, double y) const {
        x = std::clamp(x, 0.0, kSourceWidth - 1.001);
        y = std::clamp(y, 0.0, kSourceHeight - 1.001);
        const int x0 = int(x), y0 = int(y);
        const double fx = x - x0, fy = y - y0;
        return Mix(Mix(Get(x0, y0), Get(x0 + 1, y0), fx), Mix(Get(x0, y0 + 1), Get(x0 + 1, y0 + 1), fx), fy);
    }

private:
    Rgb& At(int x, int y) { return pixels_[size_t(y) * kSourceWidth + x]; }
    const Rgb& Get(int x, int y) const { return pixels_[size_t(y) * kSourceWidth + x]; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < kSourceWidth && y < kSourceHeight; }

    void Building(std::mt19937& random, std::uniform_real_distribution<double>& unit) {
        const int w = 20 + int(60 * unit(random)), h = 30 + int(90 * unit(random));
        const int left = int(unit(random) * (kSourceWidth - w)), top = int(unit(random) * (kSourceHeight - h));
        const Rgb wall{90 + 120 * unit(random), 80 + 100 * unit(random), 70 + 90 * unit(random)};
        for (int y = top; y < top + h; ++y)
            for (int x = left; x < left + w; ++x) {
                const bool edge = x == left || y == top || x == left + w - 1 || y == top + h - 1;
                const bool window = (x - left) % 6 >= 2 && (x - left) % 6 < 5 && (y - top) % 8 >= 3 && (y - top) % 8 < 6;
                const double shade = 0.85 + 0.15 * double(x - left) / w;
                At(x, y) = edge ? Rgb{30, 30, 35} : window ? Rgb{250, 230, 150} : Rgb{wall.r * shade, wall.g * shade, wall.b * shade};
            }
    }

    void Disc(std::mt19937& random, std::uniform_real_distribution<double>& unit) {
        const double cx = unit(random) * kSourceWidth, cy = unit(random) * kSourceHeight;
        const double radius = 6 + 30 * unit(random);
        const Rgb colour{255 * unit(random), 255 * unit(random), 255 * unit(random)};
        for (int y = int(cy - radius); y <= int(cy + radius); ++y)
            for (int x = int(cx - radius); x <= int(cx + radius); ++x) {
                const double d = std::hypot(x - cx, y - cy) / radius;
                if (!Inside(x, y) || d > 1) continue;
                const double light = 1.1 - 0.6 * d;
                At(x, y) = {colour.r * light, colour.g * light, colour.b * light};
            }
    }

    void Line(std::mt19937& random, std::uniform_real_distribution<double>& unit) {
        double x = unit(random) * kSourceWidth, y = unit(random) * kSourceHeight;
        const double angle = unit(random) * 2 * std::numbers::pi;
        const Rgb colour{40 + 200 * unit(random), 40 + 200 * unit(random), 40 + 200 * unit(random)};
        for (int step = 0; step < 300; ++step, x += std::cos(angle), y += std::sin(angle))
            for (int t = 0; t < 2; ++t)
                if (Inside(int(x), int(y) + t)) At(int(x), int(y) + t) = colour;
    }

    std::vector<Rgb> pixels_;
};

// The camera: its centre follows a slow curve and its view spans 1.2 to 2.6 screen widths.
Frame CameraView(const SourceImage& source, int width, int height, int k, int frames) {
    const double t = double(k) / frames;
    const double zoom = 1.2 + 1.4 * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * t));
    const double cx = kSourceWidth / 2.0 + 220 * std::sin(2 * std::numbers::pi * t);
    const double cy = kSourceHeight / 2.0 + 140 * std::sin(4 * std::numbers::pi * t);
    Frame frame(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            Put(frame, width, x, y, source.Sample(cx + (x - width / 2.0) * zoom, cy + (y - height / 2.0) * zoom));
    return frame;
}

Rgb ColourBars(int x, int y, int k, int height) {
    static constexpr std::array<Rgb, 8> kBars{Rgb{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                                              {235, 16, 235},     {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};
    if (y < height / 2) return kBars[size_t((x + 3 * k) / 30) % kBars.size()];
    const double ramp = std::fmod(x * 1.06 + 2.0 * k, 255.0);
    return {ramp, 255 - ramp, double(y) * 1.5};
}

Rgb Rings(int x, int y, int k, int width, int height) {
    const double d = std::hypot(x - width / 2.0 - 2 * k, y - height / 2.0 + k);
    const double wave = 0.5 + 0.5 * std::sin(d * 0.25);
    return {40 + 200 * wave, 90 + 100 * (1 - wave), 160 + 60 * std::sin(x * 0.02)};
}

Rgb Glyphs(int x, int y, int k) {
    const int row = (y + k) / 12, column = x / 8;
    const int gx = x % 8, gy = (y + k) % 12;
    const uint32_t shape = uint32_t(Lattice(column, row, 77) * 65536);
    const bool ink = gx >= 1 && gx < 6 && gy >= 2 && gy < 10 && ((shape >> ((gx - 1) + 5 * ((gy - 2) / 3))) & 1);
    return ink ? Rgb{20, 20, 60} : Rgb{245, 240, 225};
}

}  // namespace

std::vector<Frame> MakeFrames(int width, int height, int pannedFrames, int syntheticFrames) {
    std::vector<Frame> frames;
    const SourceImage source;
    for (int k = 0; k < pannedFrames; ++k) frames.push_back(CameraView(source, width, height, k, pannedFrames));
    for (int k = 0; k < syntheticFrames; ++k) {
        Frame frame(size_t(width) * height * 3);
        const int pattern = 3 * k / syntheticFrames;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                Put(frame, width, x, y,
                    pattern == 0   ? ColourBars(x, y, k, height)
                    : pattern == 1 ? Rings(x, y, k, width, height)
                                   : Glyphs(x, y, k));
        frames.push_back(std::move(frame));
    }
    return frames;
}

}  // namespace cinepak_bench
