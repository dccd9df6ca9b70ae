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
// The SSE2 sums are kept in 32 bits: fewer than 2^16 vectors of components below 2^15.
constexpr size_t kMostVectors = 65535;

bool Below(const LaneVector& v, const Plane& plane) {
    int32_t side = 0;
    for (int d = 0; d < 6; ++d) side += int32_t(plane.normal[d]) * v.c[d];
    return side < plane.threshold;
}

void Add(VqSums& sums, const LaneVector& v) {
    for (int d = 0; d < 6; ++d) sums.sum[d] += v.c[d];
    ++sums.count;
}

#if defined(__SSE2__)

__m128i Load(const std::array<int16_t, 8>& lanes) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes.data()));
}

// Lane k all ones when vectors[k] lies below the plane.
__m128i BelowMask(const LaneVector* vectors, __m128i normal, __m128i threshold) {
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

// Adds the vector, widened to 32 bits, where its mask lane is set: even lanes to `even`, odd to `odd`.
template <int k>
void AddMasked(const LaneVector& v, __m128i below, __m128i& even, __m128i& odd) {
    const __m128i kept = _mm_and_si128(Load(v.c), _mm_shuffle_epi32(below, _MM_SHUFFLE(k, k, k, k)));
    even = _mm_add_epi32(even, _mm_madd_epi16(kept, _mm_set1_epi32(1)));
    odd = _mm_add_epi32(odd, _mm_madd_epi16(kept, _mm_set1_epi32(1 << 16)));
}

#endif

}  // namespace

LaneVector ToLanes(const VqVector& v) {
    LaneVector lanes;
    std::copy(v.c.begin(), v.c.end(), lanes.c.begin());
    return lanes;
}

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

VqSums SumBelow(std::span<const LaneVector> vectors, const Plane& plane) {
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
    alignas(16) std::array<int32_t, 4> evens, odds, counts;
    _mm_store_si128(reinterpret_cast<__m128i*>(evens.data()), even);
    _mm_store_si128(reinterpret_cast<__m128i*>(odds.data()), odd);
    _mm_store_si128(reinterpret_cast<__m128i*>(counts.data()), count);
    for (int d = 0; d < 3; ++d) {
        below.sum[2 * d] = evens[d];
        below.sum[2 * d + 1] = odds[d];
    }
    below.count = int64_t(counts[0]) + counts[1] + counts[2] + counts[3];
#endif
    for (; i < vectors.size(); ++i)
        if (Below(vectors[i], plane)) Add(below, vectors[i]);
    return below;
}

size_t PartitionBelow(std::span<LaneVector> vectors, const Plane& plane, std::span<LaneVector> scratch) {
    assert(scratch.size() >= vectors.size());
    size_t front = 0, back = vectors.size();
    // Without branches: which side a vector falls on is as good as random.
    const auto place = [&](const LaneVector& v, bool below) {
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

}  // namespace cinepak
