#include "cinepak/PlaneCut.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cinepak {

namespace {

// The largest normal component. With components of at most 2^15 in size the six products sum
// to less than 2^31.
constexpr double kLargestNormal = 8191;
// The SSE2 sums of components are kept in 32 bits: fewer than 2^16 vectors of components below 2^15.
constexpr size_t kMostVectors = 65535;

bool Below(const VqVector& v, const Plane& plane) {
    int32_t side = 0;
    for (int d = 0; d < 6; ++d) side += int32_t(plane.normal[d]) * v.c[d];
    return side < plane.threshold;
}

#if defined(__SSE2__)

__m128i Load(const std::array<int16_t, 8>& lanes) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes.data()));
}

// Lane k all ones when vectors[k] lies below the plane.
__m128i BelowMask(const VqVector* vectors, __m128i normal, __m128i threshold) {
    // Per vector the pair products (n0 c0 + n1 c1, n2 c2 + n3 c3, n4 c4 + n5 c5, 0), then
    // transposed so that each lane sums one vector's.
    const __m128i m0 = _mm_madd_epi16(Load(vectors[0].c), normal);
    const __m128i m1 = _mm_madd_epi16(Load(vectors[1].c), normal);
    const __m128i m2 = _mm_madd_epi16(Load(vectors[2].c), normal);
    const __m128i m3 = _mm_madd_epi16(Load(vectors[3].c), normal);
    const __m128i low01 = _mm_unpacklo_epi32(m0, m1), low23 = _mm_unpacklo_epi32(m2, m3);
    const __m128i high01 = _mm_unpackhi_epi32(m0, m1), high23 = _mm_unpackhi_epi32(m2, m3);
    const __m128i pairs01 = _mm_unpacklo_epi64(low01, low23), pairs23 = _mm_unpackhi_epi64(low01, low23);
    const __m128i side = _mm_add_epi32(_mm_add_epi32(pairs01, pairs23), _mm_unpacklo_epi64(high01, high23));
    return _mm_cmplt_epi32(side, threshold);
}

// Adds the components, widened to 32 bits: even lanes to `even`, odd ones to `odd`.
void AddWidened(__m128i components, __m128i& even, __m128i& odd) {
    even = _mm_add_epi32(even, _mm_madd_epi16(components, _mm_set1_epi32(1)));
    odd = _mm_add_epi32(odd, _mm_madd_epi16(components, _mm_set1_epi32(1 << 16)));
}

// Adds the vector where lane k of its mask is set.
template <int k>
void AddMasked(const VqVector& v, __m128i below, __m128i& even, __m128i& odd) {
    AddWidened(_mm_and_si128(Load(v.c), _mm_shuffle_epi32(below, _MM_SHUFFLE(k, k, k, k))), even, odd);
}

// Adds the six component sums kept in `even` and `odd`.
void AddSums(__m128i even, __m128i odd, VqSums& sums) {
    alignas(16) std::array<int32_t, 4> evens, odds;
    _mm_store_si128(reinterpret_cast<__m128i*>(evens.data()), even);
    _mm_store_si128(reinterpret_cast<__m128i*>(odds.data()), odd);
    for (int d = 0; d < 3; ++d) {
        sums.sum[2 * d] += evens[d];
        sums.sum[2 * d + 1] += odds[d];
    }
}

#endif

}  // namespace

Plane MeanPlane(int dimension, int64_t sum, int64_t count) {
    assert(count > 0);
    Plane plane;
    plane.normal[dimension] = 1;
    // For a whole c, c * count < sum exactly when c < ceil(sum / count), a 16-bit value.
    plane.threshold = int32_t(sum >= 0 ? (sum + count - 1) / count : -(-sum / count));
    return plane;
}

Plane Bisector(const VqSums& left, const VqSums& right) {
    std::array<double, 6> normal, middle;
    double largest = 0;
    for (int d = 0; d < 6; ++d) {
        const double leftMean = double(left.sum[d]) / double(left.count);
        const double rightMean = double(right.sum[d]) / double(right.count);
        normal[d] = kVqWeights[d] * (rightMean - leftMean);
        middle[d] = (leftMean + rightMean) / 2;
        largest = std::max(largest, std::abs(normal[d]));
    }
    Plane plane;
    if (largest == 0) return plane;  // equal means: nothing lies below
    double threshold = 0;
    for (int d = 0; d < 6; ++d) {
        plane.normal[d] = int16_t(std::lround(normal[d] * kLargestNormal / largest));
        threshold += plane.normal[d] * middle[d];
    }
    // For a whole side s, s < threshold exactly when s < ceil(threshold).
    plane.threshold = int32_t(std::ceil(threshold));
    return plane;
}

VqSums SumBelow(std::span<const VqVector> vectors, const Plane& plane) {
    assert(vectors.size() <= kMostVectors);
    VqSums below;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i normal = Load(plane.normal);
    const __m128i threshold = _mm_set1_epi32(plane.threshold);
    __m128i even = _mm_setzero_si128(), odd = _mm_setzero_si128(), count = _mm_setzero_si128();
    for (; i + 4 <= vectors.size(); i += 4) {
        const __m128i mask = BelowMask(&vectors[i], normal, threshold);
        AddMasked<0>(vectors[i], mask, even, odd);
        AddMasked<1>(vectors[i + 1], mask, even, odd);
        AddMasked<2>(vectors[i + 2], mask, even, odd);
        AddMasked<3>(vectors[i + 3], mask, even, odd);
        count = _mm_sub_epi32(count, mask);
    }
    AddSums(even, odd, below);
    alignas(16) std::array<int32_t, 4> counts;
    _mm_store_si128(reinterpret_cast<__m128i*>(counts.data()), count);
    below.count = int64_t(counts[0]) + counts[1] + counts[2] + counts[3];
#endif
    for (; i < vectors.size(); ++i)
        if (Below(vectors[i], plane)) below.Add(vectors[i]);
    return below;
}

size_t PartitionBelow(std::span<VqVector> vectors, const Plane& plane, std::span<VqVector> scratch) {
    assert(scratch.size() >= vectors.size());
    size_t front = 0, back = vectors.size();
    // Without branches: which side a vector falls on is as good as random.
    const auto place = [&](const VqVector& v, bool below) {
        scratch[below ? front : back - 1] = v;
        front += below;
        back -= !below;
    };
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i normal = Load(plane.normal);
    const __m128i threshold = _mm_set1_epi32(plane.threshold);
    for (; i + 4 <= vectors.size(); i += 4) {
        const int below = _mm_movemask_ps(_mm_castsi128_ps(BelowMask(&vectors[i], normal, threshold)));
        for (int k = 0; k < 4; ++k) place(vectors[i + k], (below >> k) & 1);
    }
#endif
    for (; i < vectors.size(); ++i) place(vectors[i], Below(vectors[i], plane));
    std::copy(scratch.begin(), scratch.begin() + vectors.size(), vectors.begin());
    return front;
}

VqMoments VqMoments::operator-(const VqMoments& part) const {
    VqMoments rest = *this;
    for (int d = 0; d < 6; ++d) {
        rest.sums.sum[d] -= part.sums.sum[d];
        rest.squares[d] -= part.squares[d];
    }
    rest.sums.count -= part.sums.count;
    return rest;
}

double VqMoments::Distortion() const {
    if (sums.count == 0) return 0;
    int64_t weightedSquares = 0;
    double meanPart = 0;
    for (int d = 0; d < 6; ++d) {
        weightedSquares += kVqWeights[d] * squares[d];
        meanPart += kVqWeights[d] * double(sums.sum[d]) * double(sums.sum[d]);
    }
    return double(weightedSquares) - meanPart / double(sums.count);
}

VqMoments MomentsOf(std::span<const VqVector> vectors) {
    assert(vectors.size() <= kMostVectors);
    VqMoments moments;
    moments.sums.count = int64_t(vectors.size());
    size_t i = 0;
#if defined(__SSE2__)
    // Squares of 32 bits each, added up in 64.
    const __m128i zero = _mm_setzero_si128();
    __m128i even = zero, odd = zero, squares01 = zero, squares23 = zero, squares45 = zero;
    for (; i < vectors.size(); ++i) {
        const __m128i v = Load(vectors[i].c);
        AddWidened(v, even, odd);
        const __m128i low = _mm_mullo_epi16(v, v), high = _mm_mulhi_epi16(v, v);
        const __m128i squares0123 = _mm_unpacklo_epi16(low, high), squares4567 = _mm_unpackhi_epi16(low, high);
        squares01 = _mm_add_epi64(squares01, _mm_unpacklo_epi32(squares0123, zero));
        squares23 = _mm_add_epi64(squares23, _mm_unpackhi_epi32(squares0123, zero));
        squares45 = _mm_add_epi64(squares45, _mm_unpacklo_epi32(squares4567, zero));
    }
    AddSums(even, odd, moments.sums);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(moments.squares.data()), squares01);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(moments.squares.data() + 2), squares23);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(moments.squares.data() + 4), squares45);
#endif
    for (; i < vectors.size(); ++i)
        for (int d = 0; d < 6; ++d) {
            moments.sums.sum[d] += vectors[i].c[d];
            moments.squares[d] += int32_t(vectors[i].c[d]) * vectors[i].c[d];
        }
    return moments;
}

}  // namespace cinepak
