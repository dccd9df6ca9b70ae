#pragma once
// Exact nearest-entry search over at most 256 codebook vectors. Entries are kept sorted by
// their luma key; the search walks outwards from the query's key and stops on each side once
// the key difference alone rules out every further entry.
#include <array>
#include <cstdint>
#include <span>

#include "cinepak/CinepakColour.h"
#include "cinepak/CinepakFormat.h"

namespace cinepak {

struct VqMatch {
    int slot = -1;          // -1 when the search holds no entry
    int32_t distance = 0;   // VqDistance to that entry
};

class CodebookSearch {
public:
    // Indexes vectors[slot] for every slot listed. Allocates nothing.
    void Build(std::span<const VqVector> vectors, std::span<const uint8_t> slots);
    // Indexes vectors[0 .. count-1].
    void BuildFirst(std::span<const VqVector> vectors, int count);
    bool Empty() const { return count_ == 0; }
    // The nearest indexed entry; ties go to the entry met first, so results are reproducible.
    VqMatch Nearest(const VqVector& query) const;

private:
    void Sort();

    int count_ = 0;
    std::array<int32_t, kSlots> key_{};
    std::array<VqVector, kSlots> vector_{};
    std::array<uint8_t, kSlots> slot_{};
};

}  // namespace cinepak
