#include "audio/PeakNormalizer.h"

#include <algorithm>

namespace {

constexpr double kNoPeakGain = 65536.0;  // the gain when every sample is 0

// The largest factor that keeps the positive peak at or below 32767 and the negative peak at or
// above -32768. Each sample's limit shrinks as its magnitude grows, so the two extremes decide.
double PeakGain(std::span<const int16_t> samples) {
    const auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
    double gain = kNoPeakGain;
    if (*highest > 0) gain = std::min(gain, 32767.0 / *highest);
    if (*lowest < 0) gain = std::min(gain, -32768.0 / *lowest);
    return gain;
}

int16_t Scaled(int16_t sample, long double factor) {
    const long double value = sample * factor;
    // Clamping before the truncation gives the same result as after it and keeps the conversion in range.
    if (value >= 32767.0L) return 32767;
    if (value <= -32768.0L) return -32768;
    return int16_t(value);
}

}  // namespace

void NormalizeSamples(std::span<int16_t> samples, int level) {
    if (samples.empty()) return;
    const double gain = PeakGain(samples);
    if (gain == kNoPeakGain || (gain == 1.0 && level == 100)) return;
    // Extended precision from the 64-bit gain and the 64-bit constant 0.01 (not 0.01L): whether a
    // product lands just above or just below a whole number depends on both.
    const long double factor = (static_cast<long double>(level) * gain) * static_cast<long double>(0.01);
    for (int16_t& sample : samples) sample = Scaled(sample, factor);
}
