#pragma once
// Trains codebooks on vectors of the training space. Knows nothing about chunks or frames.
//
// Growth: start from one cluster holding every vector and repeatedly split the cluster of
// largest distortion, as long as the split's gain pays for the extra entry. A split cuts the
// cluster across its direction of greatest weighted variance at the mean and is then settled
// by a two-means step. Refinement: Lloyd passes with exact nearest search.
#include <cstdint>
#include <span>
#include <vector>

#include "cinepak/CinepakColour.h"
#include "cinepak/CodebookSearch.h"

namespace cinepak {

struct VqParams {
    double entryCost = 0;  // distortion (VqDistance units) that one more entry must save
    int maxEntries = kSlots;
    int lloydPasses = 2;
};

// Number of training vectors nearest to each entry, after training.
using MemberCounts = std::array<int32_t, kSlots>;

class VectorQuantizer {
public:
    // Reserves room for training sets of up to `maxVectors` vectors.
    explicit VectorQuantizer(size_t maxVectors);

    // Grows and refines a codebook; writes entries[0 .. n) and their member counts; returns n
    // (0 for an empty training set). Entries that end up with no member are dropped.
    int Train(std::span<const VqVector> training, const VqParams& params, std::span<CodebookEntry, kSlots> entries,
              MemberCounts& members);
    // Lloyd passes from entries[0 .. count); drops entries that attract nothing; returns the new count.
    int Refine(std::span<const VqVector> training, int passes, std::span<CodebookEntry, kSlots> entries, int count,
               MemberCounts& members);

private:
    // A training vector with its weighted square sum(weight x^2), which sums of vectors need.
    struct PoolVector {
        VqVector v;
        int32_t weightedSquare = 0;  // at most about 1.5e8
    };
    struct Moments {
        std::array<int64_t, 6> sum{};
        int64_t weightedSquares = 0;
        int64_t count = 0;
        void Add(const PoolVector& p);
        Moments operator-(const Moments& part) const;
        double Distortion() const;  // of the vectors around their mean, in VqDistance units
    };
    struct Cluster {
        uint32_t begin = 0, end = 0;  // in pool_
        Moments moments;
        double distortion = 0;
    };
    struct Split {
        uint32_t mid = 0;  // [begin, mid) and [mid, end)
        Moments left, right;
        double gain = 0;
    };

    Split PlanSplit(const Cluster& cluster);
    template <typename Below>
    uint32_t Partition(const Cluster& cluster, Below isBelow, Moments& below);
    void Grow(std::span<const VqVector> training, const VqParams& params);
    void AddLeaf(uint32_t begin, uint32_t end, const Moments& moments);

    std::vector<PoolVector> pool_;    // the training vectors, grouped by cluster
    std::vector<Cluster> leaves_;     // heap by distortion
    std::vector<Cluster> finished_;   // leaves that no split pays for
    CodebookSearch search_;
};

}  // namespace cinepak
