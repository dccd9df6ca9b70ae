#pragma once
// Trains codebooks on vectors of the training space. Knows nothing about chunks or frames.
//
// Growth: start from one cluster holding every vector and repeatedly split the cluster of
// largest distortion, as long as the split's gain pays for the extra entry. A split cuts the
// cluster across its direction of greatest weighted variance at the mean and is then settled
// by a two-means step. Refinement: Lloyd passes with exact nearest search.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "cinepak/CinepakColour.h"
#include "cinepak/CodebookSearch.h"
#include "cinepak/PlaneCut.h"

namespace cinepak {

struct VqParams {
    double entryCost = 0;  // distortion (VqDistance units) that one more entry must save
    int maxEntries = kSlots;
    int lloydPasses = 2;
};

// The costs at which a run of decisions comes out the same as at the cost it was made with.
// Each decision compares some worth with the cost.
struct CostRange {
    double low = 0;
    double high = std::numeric_limits<double>::infinity();

    // Records a decision that found `worth` over the cost, or not over it.
    void Over(double worth) { high = std::min(high, worth); }
    void NotOver(double worth) { low = std::max(low, worth); }
    // Adds the decisions of `other`, made at `scale` times the costs of this range.
    void Meet(const CostRange& other, double scale) {
        low = std::max(low, other.low / scale);
        high = std::min(high, other.high / scale);
    }
    bool Holds(double cost) const { return cost >= low && cost < high; }
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
    // The entry costs at which the last Train would have grown the same codebook.
    const CostRange& SameGrowth() const { return sameGrowth_; }

private:
    struct Cluster {
        uint32_t begin = 0, end = 0;  // in pool_
        VqMoments moments;
        double distortion = 0;
    };
    struct Split {
        uint32_t mid = 0;  // [begin, mid) and [mid, end)
        VqMoments left, right;
        double gain = 0;
    };

    Split PlanSplit(const Cluster& cluster);
    std::span<VqVector> Members(const Cluster& cluster) {
        return std::span(pool_).subspan(cluster.begin, cluster.end - cluster.begin);
    }
    void Grow(std::span<const VqVector> training, const VqParams& params);
    void AddLeaf(uint32_t begin, uint32_t end, const VqMoments& moments);

    std::vector<VqVector> pool_;      // the training vectors, grouped by cluster
    std::vector<VqVector> scratch_;   // as long as pool_
    std::vector<Cluster> leaves_;     // heap by distortion
    std::vector<Cluster> finished_;   // leaves that no split pays for
    CodebookSearch search_;
    CostRange sameGrowth_;
};

}  // namespace cinepak
