#include "cinepak/CodebookSearch.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <utility>

namespace cinepak {

void CodebookSearch::Build(std::span<const VqVector> vectors, std::span<const uint8_t> slots) {
    assert(slots.size() <= size_t(kSlots));
    count_ = int(slots.size());
    for (int i = 0; i < count_; ++i) {
        slot_[i] = slots[i];
        vector_[i] = vectors[slots[i]];
    }
    Sort();
}

void CodebookSearch::BuildFirst(std::span<const VqVector> vectors, int count) {
    assert(count <= kSlots && size_t(count) <= vectors.size());
    count_ = count;
    for (int i = 0; i < count_; ++i) {
        slot_[i] = uint8_t(i);
        vector_[i] = vectors[i];
    }
    Sort();
}

void CodebookSearch::Sort() {
    std::array<std::pair<int32_t, uint8_t>, kSlots> order;
    std::array<VqVector, kSlots> byPosition;
    for (int i = 0; i < count_; ++i) {
        order[i] = {VqKey(vector_[i]), uint8_t(i)};
        byPosition[i] = vector_[i];
    }
    std::sort(order.begin(), order.begin() + count_);
    const std::array<uint8_t, kSlots> slots = slot_;
    for (int i = 0; i < count_; ++i) {
        key_[i] = order[i].first;
        vector_[i] = byPosition[order[i].second];
        slot_[i] = slots[order[i].second];
    }
}

VqMatch CodebookSearch::Nearest(const VqVector& query) const {
    const int32_t key = VqKey(query);
    int up = int(std::lower_bound(key_.begin(), key_.begin() + count_, key) - key_.begin());
    int down = up - 1;
    int32_t best = std::numeric_limits<int32_t>::max();
    int bestIndex = -1;
    // Each W difference counts 9 times its square, and 4 sum(dW^2) >= (sum dW)^2.
    const auto ruledOut = [&](int index) {
        const int64_t keyDiff = int64_t(key_[index]) - key;
        return 9 * keyDiff * keyDiff >= 4 * int64_t(best);
    };
    const auto visit = [&](int index) {
        const int32_t distance = VqDistance(query, vector_[index]);
        if (distance < best) {
            best = distance;
            bestIndex = index;
        }
    };
    while (up < count_ || down >= 0) {
        if (up < count_) {
            if (ruledOut(up))
                up = count_;
            else
                visit(up++);
        }
        if (down >= 0) {
            if (ruledOut(down))
                down = -1;
            else
                visit(down--);
        }
    }
    if (bestIndex < 0) return {};
    return {slot_[bestIndex], best};
}

}  // namespace cinepak
