#pragma once
// Exact nearest-entry search over at most 256 codebook vectors. Entries are kept sorted by
// their luma key in groups of eight; the search walks outwards from the query's key, a group at
// a time, and stops on each side once the key difference alone rules out every further entry.
// A group's eight distances are worked out together (SSE2 where the machine has it, four to a
// register), with exact integer arithmetic either way, so every path gives the same answers.
// Groups of eight visit fewer groups than groups of four, and each visit branches once.
#include <array>
#include <cstdint>
#include <limits>
#include <span>

#include "cinepak/CinepakColour.h"
#include "cinepak/CinepakFormat.h"

namespace cinepak {

struct VqMatch {
    int slot = -1;         // -1 when the search holds no entry
    int32_t distance = 0;  // VqDistance to that entry
};

class CodebookSearch {
public:
    // Indexes vectors[slot] for every slot listed. Allocates nothing.
    void Build(std::span<const VqVector> vectors, std::span<const uint8_t> slots);
    // Indexes vectors[0 .. count-1].
    void BuildFirst(std::span<const VqVector> vectors, int count);
    bool Empty() const { return count_ == 0; }
    // The nearest entry closer than `bound`; none (slot -1) when there is no such entry.
    VqMatch Nearest(const VqVector& query, int32_t bound = std::numeric_limits<int32_t>::max()) const;

private:
    static constexpr int kGroup = 8;  // a multiple of 4
    static constexpr int kGroups = kSlots / kGroup;
    // Keys are bucketed to find a query's place among the entries with a step or two.
    static constexpr int kBuckets = 128;

    // The distance 9 sum(dW^2) + 42 dU^2 + 56 dV^2 as sums of products of 16-bit values:
    // (3 dW0)^2 + (3 dW1)^2, (3 dW2)^2 + (3 dW3)^2 and (6 dU)(7 dU) + (7 dV)(8 dV). Each group
    // stores, entry after entry, the pairs (3 W0, 3 W1), (3 W2, 3 W3), (6 U, 7 V), (7 U, 8 V).
    struct Group {
        alignas(16) std::array<int16_t, 2 * kGroup> w01;
        alignas(16) std::array<int16_t, 2 * kGroup> w23;
        alignas(16) std::array<int16_t, 2 * kGroup> uvLeft;
        alignas(16) std::array<int16_t, 2 * kGroup> uvRight;
    };

    void Index(std::array<std::pair<int32_t, int>, kSlots>& order, std::span<const VqVector> vectors);
    // Works out the group's distances; false when none is below `best`.
    bool GroupDistances(const Group& group, const Group& query, int32_t best, int32_t* distances) const;
    int FirstNotBelow(int32_t key) const;

    int count_ = 0;
    int groups_ = 0;
    std::array<int32_t, kSlots> key_{};
    int32_t bucketBase_ = 0;  // key_[0]
    int bucketShift_ = 0;
    std::array<uint16_t, kBuckets + 1> bucketStart_{};  // first entry of each bucket or a later one
    std::array<uint8_t, kSlots> slot_{};
    std::array<Group, kGroups> group_{};
};

}  // namespace cinepak
