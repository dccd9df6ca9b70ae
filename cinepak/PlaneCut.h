#pragma once
// The arithmetic of splitting clusters of training vectors while a codebook grows: cutting a
// set by a plane and the moments that give a set's distortion. A vector lies below a plane when
// normal . vector < threshold, in exact integer arithmetic. Four vectors at a time with SSE2
// where the machine has it, one at a time otherwise, with the same answers either way.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "cinepak/CinepakColour.h"

namespace cinepak {

struct Plane {
    alignas(16) std::array<int16_t, 8> normal{};  // lanes 6 and 7 zero; below 2^13 in size, so no sum overflows
    int32_t threshold = 0;
};

// Below it: the vectors whose component `dimension` lies below the mean sum / count (count > 0).
Plane MeanPlane(int dimension, int64_t sum, int64_t count);
// Below it: the vectors nearer to the mean of `left` than to that of `right` (both not empty)
// under the weighted distance, up to the rounding of the normal to 13 bits.
Plane Bisector(const VqSums& left, const VqSums& right);

// Sums of the vectors below the plane.
VqSums SumBelow(std::span<const VqVector> vectors, const Plane& plane);
// Moves the vectors below the plane to the front, in no particular order, through `scratch`
// (as long as `vectors`); returns how many there are.
size_t PartitionBelow(std::span<VqVector> vectors, const Plane& plane, std::span<VqVector> scratch);

// Sums and squares of each component of a set of vectors.
struct VqMoments {
    VqSums sums;
    std::array<int64_t, 6> squares{};
    VqMoments operator-(const VqMoments& part) const;
    double Distortion() const;  // of the vectors around their mean, in VqDistance units
};
VqMoments MomentsOf(std::span<const VqVector> vectors);

}  // namespace cinepak
