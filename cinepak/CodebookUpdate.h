#pragma once
// Fits codebooks that persist from frame to frame to the vectors of one frame.
#include <bitset>
#include <span>

#include "cinepak/FramePlan.h"
#include "cinepak/VectorQuantizer.h"

namespace cinepak {

struct CodebookFit {
    CostRange sameGrowth;         // entry costs at which the same fresh centroids would be trained
    std::bitset<kSlots> moved;    // entries that moved after `nearest` was found (all: none was found)
};

// Trains fresh centroids on `training`; a centroid whose cluster loses less than the cost of
// one entry by using an entry the decoder already holds keeps that entry, the others are
// written into free slots (empty ones first, then those unused for longest: book.lastUse) and marked in
// `changed`, then polished. Usable entries afterwards: book.defined | changed. `nearest` (as
// long as `training`) receives each vector's nearest usable entry before the polish.
CodebookFit UpdateCodebook(std::span<const VqVector> training, const VqParams& params, VectorQuantizer& quantizer,
                           CodebookSearch& search, Codebook& book, std::bitset<kSlots>& changed,
                           std::span<uint8_t> nearest);

// One Lloyd step restricted to the `movable` entries: every training vector goes to its nearest
// usable entry, written to `nearest`, and each movable entry with members moves to their
// centroid. Returns the entries that moved.
std::bitset<kSlots> PolishCodebook(std::span<const VqVector> training, const std::bitset<kSlots>& usable,
                                   const std::bitset<kSlots>& movable, CodebookSearch& search, Codebook& book,
                                   std::span<uint8_t> nearest);

// The vectors assigned to each slot, summed.
using SlotSums = std::array<VqSums, kSlots>;
// The second half of a Lloyd step: each movable entry with members moves to their centroid.
// Returns the entries that moved.
std::bitset<kSlots> MoveToCentroids(const SlotSums& sums, const std::bitset<kSlots>& movable, Codebook& book);

// The nearest usable entry to `v` (`all` indexes the usable entries), given that it was
// `previous` before the entries in `moved` moved (`movedOnly` indexes the usable ones of them):
// an entry that stayed put can only lose `v` to one that moved.
uint8_t NearestAfterMove(const VqVector& v, uint8_t previous, const std::bitset<kSlots>& moved, const Codebook& book,
                         const CodebookSearch& all, const CodebookSearch& movedOnly);

// The slots of a bitset, in increasing order; returns how many.
int ListSlots(const std::bitset<kSlots>& set, std::array<uint8_t, kSlots>& slots);

}  // namespace cinepak
