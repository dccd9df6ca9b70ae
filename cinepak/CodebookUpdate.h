#pragma once
// Fits codebooks that persist from frame to frame to the vectors of one frame.
#include <bitset>
#include <span>

#include "cinepak/FramePlan.h"
#include "cinepak/VectorQuantizer.h"

namespace cinepak {

// Trains fresh centroids on `training`; a centroid whose cluster loses less than the cost of
// one entry by using an entry the decoder already holds keeps that entry, the others are
// written into free slots (lowest first, which keeps partial codebooks short) and marked in
// `changed`. Usable entries afterwards: book.defined | changed. Returns the entry costs at
// which the same fresh centroids would have been trained.
CostRange UpdateCodebook(std::span<const VqVector> training, const VqParams& params, VectorQuantizer& quantizer,
                    CodebookSearch& search, Codebook& book, std::bitset<kSlots>& changed);

// One Lloyd step restricted to the `movable` entries: every training vector goes to its nearest
// usable entry, and each movable entry with members moves to their centroid.
void PolishCodebook(std::span<const VqVector> training, const std::bitset<kSlots>& usable,
                    const std::bitset<kSlots>& movable, CodebookSearch& search, Codebook& book);

// The vectors assigned to each slot, summed.
using SlotSums = std::array<VqSums, kSlots>;
// The second half of a Lloyd step: each movable entry with members moves to their centroid.
void MoveToCentroids(const SlotSums& sums, const std::bitset<kSlots>& movable, Codebook& book);

// The slots of a bitset, in increasing order; returns how many.
int ListSlots(const std::bitset<kSlots>& set, std::array<uint8_t, kSlots>& slots);

}  // namespace cinepak
