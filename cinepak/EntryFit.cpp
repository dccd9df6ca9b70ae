#include "cinepak/EntryFit.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace cinepak {

namespace {

// What the decoder adds to a luma value for R, G and B.
using Offsets = std::array<int, 3>;

Offsets OffsetsOf(int u, int v) { return {2 * v, -(u / 2) - v, 2 * u}; }

// The error of one luma value's pixels, less their squares: sum over channels of n d^2 - 2 d S.
int64_t LumaError(int32_t count, const std::array<int32_t, 3>& sum, int y, const Offsets& offsets) {
    int64_t error = 0;
    for (int c = 0; c < 3; ++c) {
        const int64_t drawn = std::clamp(y + offsets[c], 0, 255);
        error += count * drawn * drawn - 2 * drawn * sum[c];
    }
    return error;
}

int64_t FloorDiv(int64_t numerator, int64_t divisor) {
    return numerator >= 0 ? numerator / divisor : -((-numerator + divisor - 1) / divisor);
}

struct LumaChoice {
    uint8_t y = 0;
    int64_t error = 0;
};

// The error is quadratic in y while the same channels stay inside 0..255, and the clamp's
// corners are never minima: the best luma lies next to the mean that a set of channels takes
// where exactly those channels are unclamped.
LumaChoice BestLuma(int32_t count, const std::array<int32_t, 3>& sum, const Offsets& offsets) {
    LumaChoice best{0, std::numeric_limits<int64_t>::max()};
    for (int channels = 7; channels > 0; --channels) {
        int64_t numerator = 0, divisor = 0;
        for (int c = 0; c < 3; ++c) {
            if ((channels >> c & 1) == 0) continue;
            numerator += sum[c] - int64_t(count) * offsets[c];
            divisor += count;
        }
        const double mean = double(numerator) / double(divisor);
        bool consistent = true;
        for (int c = 0; c < 3; ++c) {
            const double drawn = mean + offsets[c];
            const bool inside = drawn >= 0 && drawn <= 255;
            consistent = consistent && inside == bool(channels >> c & 1);
        }
        if (!consistent && channels != 7) continue;  // all three: always a candidate
        const int64_t below = FloorDiv(numerator, divisor);
        for (int64_t y = below; y <= below + 1; ++y) {
            const int clamped = int(std::clamp<int64_t>(y, 0, 255));
            const int64_t error = LumaError(count, sum, clamped, offsets);
            if (error < best.error) best = {uint8_t(clamped), error};
        }
    }
    return best;
}

// The best luma values for this chroma; `entry` takes them. Returns the error.
int64_t FitLumas(const EntryMoments& moments, CodebookEntry& entry) {
    const Offsets offsets = OffsetsOf(entry.u, entry.v);
    int64_t error = 0;
    for (int k = 0; k < 4; ++k) {
        if (moments.count[k] == 0) continue;
        const LumaChoice choice = BestLuma(moments.count[k], moments.sum[k], offsets);
        entry.y[k] = choice.y;
        error += choice.error;
    }
    return error;
}

// The chroma steps tried around the best so far, and how many moves the search makes at most.
// Diagonal steps as well gained nothing measurable on film (+1.95 dB either way) for twice the
// candidates.
constexpr std::array<std::pair<int, int>, 4> kSteps{{{-1, 0}, {1, 0}, {0, -1}, {0, 1}}};
constexpr int kMostMoves = 8;

}  // namespace

int64_t EntryFitError(const EntryMoments& moments, const CodebookEntry& entry) {
    const Offsets offsets = OffsetsOf(entry.u, entry.v);
    int64_t error = 0;
    for (int k = 0; k < 4; ++k)
        if (moments.count[k] > 0) error += LumaError(moments.count[k], moments.sum[k], entry.y[k], offsets);
    return error;
}

CodebookEntry FitEntry(const EntryMoments& moments, const CodebookEntry& start) {
    CodebookEntry best = start;
    int64_t bestError = EntryFitError(moments, start);
    {
        CodebookEntry lumas = start;
        const int64_t error = FitLumas(moments, lumas);
        if (error < bestError) {
            best = lumas;
            bestError = error;
        }
    }
    for (int move = 0; move < kMostMoves; ++move) {
        const CodebookEntry centre = best;
        for (const auto& [du, dv] : kSteps) {
            const int u = centre.u + du, v = centre.v + dv;
            if (u < -128 || u > 127 || v < -128 || v > 127) continue;
            CodebookEntry candidate = centre;
            candidate.u = int8_t(u);
            candidate.v = int8_t(v);
            const int64_t error = FitLumas(moments, candidate);
            if (error < bestError) {
                best = candidate;
                bestError = error;
            }
        }
        if (best == centre) break;
    }
    return best;
}

}  // namespace cinepak
