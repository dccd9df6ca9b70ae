#pragma once
// Cuts a set of training vectors by a plane, the step that splits clusters while a codebook
// grows. A vector lies below the plane when normal . vector < threshold, in exact integer
// arithmetic: four vectors at a time with SSE2 where the machine has it, one at a time
// otherwise, with the same answers either way.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "cinepak/CinepakColour.h"

namespace cinepak {

// A training vector in eight 16-bit lanes, the last two zero, for whole-register loads.
struct alignas(16) LaneVector {
    std::array<int16_t, 8> c{};
};
LaneVector ToLanes(const VqVector& v);

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
VqSums SumBelow(std::span<const LaneVector> vectors, const Plane& plane);
// Moves the vectors below the plane to the front, in no particular order, through `scratch`
// (as long as `vectors`); returns how many there are.
size_t PartitionBelow(std::span<LaneVector> vectors, const Plane& plane, std::span<LaneVector> scratch);

}  // namespace cinepak
