#include "bench/cinepak/Procedural.h"

#include <cmath>

namespace cinepak_bench {

double SmoothStep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

double Lattice(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967296.0;
}

double ValueNoise(double x, double y, uint32_t seed) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double top = Lattice(x0, y0, seed) + sx * (Lattice(x0 + 1, y0, seed) - Lattice(x0, y0, seed));
    const double bottom = Lattice(x0, y0 + 1, seed) + sx * (Lattice(x0 + 1, y0 + 1, seed) - Lattice(x0, y0 + 1, seed));
    return top + sy * (bottom - top);
}

double Fractal(double x, double y, uint32_t seed, double size) {
    double sum = 0, amplitude = 0.5, scale = 1.0 / size;
    for (int octave = 0; octave < 6; ++octave) {
        sum += amplitude * ValueNoise(x * scale, y * scale, seed + octave);
        amplitude *= 0.5;
        scale *= 2;
    }
    return sum / 0.984375;
}

}  // namespace cinepak_bench
