#pragma once
// Building blocks of the bench's generated pictures: colours as doubles, hashed lattice values,
// smooth value noise and its fractal sum, all deterministic.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace cinepak_bench {

struct Rgb {
    double r = 0, g = 0, b = 0;
};
inline Rgb operator+(const Rgb& a, const Rgb& b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(const Rgb& a, double s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb Mix(const Rgb& a, const Rgb& b, double t) { return a + (b + a * -1) * t; }

inline uint8_t Channel(double value) { return uint8_t(std::clamp(value, 0.0, 255.0) + 0.5); }

// A top-down R, G, B picture.
using Frame = std::vector<uint8_t>;
inline void Put(Frame& frame, int width, int x, int y, const Rgb& colour) {
    uint8_t* pixel = frame.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
    pixel[0] = Channel(colour.r);
    pixel[1] = Channel(colour.g);
    pixel[2] = Channel(colour.b);
}

// 0 below `edge0`, 1 above `edge1`, a smooth step between.
double SmoothStep(double edge0, double edge1, double x);

// A hashed value in [0, 1) for each integer point and seed.
double Lattice(int x, int y, uint32_t seed);
// Smooth value noise at one scale, 0..1.
double ValueNoise(double x, double y, uint32_t seed);
// Six octaves of value noise from a feature size of `size` pixels down, 0..1.
double Fractal(double x, double y, uint32_t seed, double size = 96);

}  // namespace cinepak_bench
