#pragma once
// Trains codebooks on vectors of the training space. Knows nothing about chunks or frames.
//
// Growth: start from one cluster holding every vector and repeatedly split the cluster whose
// split lowers the total distortion most, as long as that gain pays for the extra entry. A
// split cuts the cluster across its direction of greatest weighted variance at the mean and is
// then settled by a few two-means steps. Refinement: Lloyd passes with exact nearest search.
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
    struct Moments {
        std::array<int64_t, 6> sum{};
        std::array<int64_t, 6> sumSquares{};
        int64_t count = 0;
        void Add(const VqVector& v);
        double Distortion() const;  // of the vectors around their mean
    };
    struct Cluster {
        uint32_t begin = 0, end = 0;
        Moments moments;
        // The split worked out when the cluster was made: [begin, mid) and [mid, end).
        uint32_t mid = 0;
        Moments left, right;
        double gain = 0;
    };

    void PlanSplit(std::span<const VqVector> training, Cluster& cluster);
    uint32_t PartitionByPlane(std::span<const VqVector> training, const Cluster& cluster,
                              const std::array<double, 6>& normal, double threshold);
    void Grow(std::span<const VqVector> training, const VqParams& params);

    std::vector<uint32_t> order_;     // training indices, grouped by cluster
    std::vector<Cluster> clusters_;
    std::vector<uint32_t> leaves_;    // heap of leaf clusters by gain
    CodebookSearch search_;
};

}  // namespace cinepak
