#pragma once
// Colour arithmetic of codebook entries: how FFmpeg's decoder (and the handheld player) turns an
// entry into pixels, and the vector space in which the encoder measures and trains entries.
#include <array>
#include <cstdint>

namespace cinepak {

// One codebook entry: four luma values for a 2x2 area (top-left, top-right, bottom-left,
// bottom-right) and one signed chroma pair for all four.
struct CodebookEntry {
    std::array<uint8_t, 4> y{};
    int8_t u = 0;
    int8_t v = 0;
    bool operator==(const CodebookEntry&) const = default;
};

// The four pixels of an entry as R, G, B bytes in the order of `y`, exactly as FFmpeg 5.1's
// decoder computes them: R = Y + 2V, G = Y - U/2 - V (C division), B = Y + 2U, clamped to 0..255.
using EntryPixels = std::array<uint8_t, 12>;
EntryPixels DecodeEntry(const CodebookEntry& entry);

// Training space. Under the decoder's formula a pixel's channel mean is w = y + u/2 + v/3, and
// the squared RGB error of coding a 2x2 area with (y0..y3, u, v) is the least-squares residual
// of the area plus 3 sum(dw^2) + 14 du^2 + 56/3 dv^2 (ignoring clamping and the truncated u/2).
// A vector holds W = 6w for each pixel, U = 6u and V = 6v, so that the distance
// 9 sum(dW^2) + 42 dU^2 + 56 dV^2 is exactly 108 times that squared error.
struct alignas(16) VqVector {
    std::array<int16_t, 8> c{};  // W0 W1 W2 W3 U V, then two lanes kept 0: a vector loads as one 128-bit register
};
inline constexpr int32_t kVqWeights[6] = {9, 9, 9, 9, 42, 56};
inline constexpr int32_t kVqPerSquaredError = 108;

// Weighted squared distance; at most about 5.2e8 for any two vectors of this space.
inline int32_t VqDistance(const VqVector& a, const VqVector& b) {
    int32_t sum = 0;
    for (int d = 0; d < 6; ++d) {
        const int32_t diff = int32_t(a.c[d]) - int32_t(b.c[d]);
        sum += kVqWeights[d] * diff * diff;
    }
    return sum;
}

// Sum of the four W components: every distance is at least 9/4 of this key's difference squared.
inline int32_t VqKey(const VqVector& v) { return int32_t(v.c[0]) + v.c[1] + v.c[2] + v.c[3]; }

// Least-squares target of a 2x2 area: 4 pixels of R, G, B in entry order.
VqVector AreaVector(const uint8_t* rgb12);
// Least-squares V1 target of a 4x4 block given as its four 2x2 areas (48 bytes, area by area):
// one entry whose luma values each cover one area and whose chroma covers the block.
VqVector BlockVector(const uint8_t* rgb48);
// Where an entry lies in the training space.
VqVector VectorOfEntry(const CodebookEntry& entry);

// Sums of vectors of the training space and their count.
struct VqSums {
    std::array<int64_t, 6> sum{};
    int64_t count = 0;
    void Add(const VqVector& v) {
        for (int d = 0; d < 6; ++d) sum[d] += v.c[d];
        ++count;
    }
};
// The entry nearest to the mean of `sums` (count > 0): chroma rounded first, luma rounded for it.
CodebookEntry EntryFromSums(const VqSums& sums);

}  // namespace cinepak
