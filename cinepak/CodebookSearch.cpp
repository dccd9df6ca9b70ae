#include "cinepak/CodebookSearch.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cinepak {

namespace {

// Fills entry `i` of a group; the factors are those of the distance's products.
template <typename Group>
void Place(Group& group, int i, const VqVector& v) {
    group.w01[2 * i] = int16_t(3 * v.c[0]);
    group.w01[2 * i + 1] = int16_t(3 * v.c[1]);
    group.w23[2 * i] = int16_t(3 * v.c[2]);
    group.w23[2 * i + 1] = int16_t(3 * v.c[3]);
    group.uvLeft[2 * i] = int16_t(6 * v.c[4]);
    group.uvLeft[2 * i + 1] = int16_t(7 * v.c[5]);
    group.uvRight[2 * i] = int16_t(7 * v.c[4]);
    group.uvRight[2 * i + 1] = int16_t(8 * v.c[5]);
}

}  // namespace

void CodebookSearch::Build(std::span<const VqVector> vectors, std::span<const uint8_t> slots) {
    assert(slots.size() <= size_t(kSlots));
    std::array<std::pair<int32_t, int>, kSlots> order;
    count_ = int(slots.size());
    for (int i = 0; i < count_; ++i) order[i] = {VqKey(vectors[slots[i]]), slots[i]};
    Index(order, vectors);
}

void CodebookSearch::BuildFirst(std::span<const VqVector> vectors, int count) {
    assert(count <= kSlots && size_t(count) <= vectors.size());
    std::array<std::pair<int32_t, int>, kSlots> order;
    count_ = count;
    for (int i = 0; i < count_; ++i) order[i] = {VqKey(vectors[i]), i};
    Index(order, vectors);
}

void CodebookSearch::Index(std::array<std::pair<int32_t, int>, kSlots>& order, std::span<const VqVector> vectors) {
    std::sort(order.begin(), order.begin() + count_);
    groups_ = (count_ + kGroup - 1) / kGroup;
    // The last group is filled up with copies of the last entry, which can only tie with it.
    for (int i = 0; i < groups_ * kGroup; ++i) {
        const auto& [key, slot] = order[std::min(i, count_ - 1)];
        key_[i] = key;
        slot_[i] = uint8_t(slot);
        Place(group_[i / kGroup], i % kGroup, vectors[slot]);
    }
    if (count_ == 0) return;
    bucketBase_ = key_[0];
    bucketShift_ = 0;
    while (((key_[count_ - 1] - bucketBase_) >> bucketShift_) >= kBuckets) ++bucketShift_;
    int entry = 0;
    for (int bucket = 0; bucket <= kBuckets; ++bucket) {
        while (entry < count_ && ((key_[entry] - bucketBase_) >> bucketShift_) < bucket) ++entry;
        bucketStart_[bucket] = uint16_t(entry);
    }
}

// The first entry whose key is not below `key`, or count_.
int CodebookSearch::FirstNotBelow(int32_t key) const {
    if (key <= bucketBase_) return 0;
    int entry = bucketStart_[std::min((key - bucketBase_) >> bucketShift_, kBuckets)];
    while (entry < count_ && key_[entry] < key) ++entry;
    return entry;
}

bool CodebookSearch::GroupDistances(const Group& group, const Group& query, int32_t best, int32_t* distances) const {
#if defined(__SSE2__)
    const __m128i bound = _mm_set1_epi32(best);
    __m128i closer = _mm_setzero_si128();
    // Four entries to a register.
    for (int part = 0; part < kGroup / 4; ++part) {
        const auto load = [part](const std::array<int16_t, 2 * kGroup>& values) {
            return _mm_load_si128(reinterpret_cast<const __m128i*>(values.data() + 8 * part));
        };
        const __m128i w01 = _mm_sub_epi16(load(query.w01), load(group.w01));
        const __m128i w23 = _mm_sub_epi16(load(query.w23), load(group.w23));
        const __m128i uvLeft = _mm_sub_epi16(load(query.uvLeft), load(group.uvLeft));
        const __m128i uvRight = _mm_sub_epi16(load(query.uvRight), load(group.uvRight));
        const __m128i sum = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(w01, w01), _mm_madd_epi16(w23, w23)),
                                          _mm_madd_epi16(uvLeft, uvRight));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(distances + 4 * part), sum);
        closer = _mm_or_si128(closer, _mm_cmplt_epi32(sum, bound));
    }
    return _mm_movemask_epi8(closer) != 0;
#else
    for (int i = 0; i < kGroup; ++i) {
        int32_t sum = 0;
        for (int k = 2 * i; k < 2 * i + 2; ++k) {
            const int32_t w01 = int32_t(query.w01[k]) - group.w01[k];
            const int32_t w23 = int32_t(query.w23[k]) - group.w23[k];
            sum += w01 * w01 + w23 * w23 +
                   (int32_t(query.uvLeft[k]) - group.uvLeft[k]) * (int32_t(query.uvRight[k]) - group.uvRight[k]);
        }
        distances[i] = sum;
    }
    return *std::min_element(distances, distances + kGroup) < best;
#endif
}

VqMatch CodebookSearch::Nearest(const VqVector& query, int32_t bound) const {
    if (count_ == 0) return {};
    Group replicated;
    for (int i = 0; i < kGroup; ++i) Place(replicated, i, query);
    const int32_t key = VqKey(query);
    // Starting where the query's key falls finds the nearest entry soonest. Between entries at
    // the same distance the one visited first wins.
    const int start = FirstNotBelow(key);

    int32_t best = bound;
    int bestIndex = -1;
    const auto visit = [&](int group) {
        alignas(16) std::array<int32_t, kGroup> distances;
        if (!GroupDistances(group_[group], replicated, best, distances.data())) return;
        for (int i = 0; i < kGroup; ++i)
            if (distances[i] < best) {
                best = distances[i];
                bestIndex = group * kGroup + i;
            }
    };
    // Each W difference counts 9 times its square, and 4 sum(dW^2) >= (sum dW)^2.
    const auto ruledOut = [&](int64_t keyDiff) { return keyDiff > 0 && 9 * keyDiff * keyDiff >= 4 * int64_t(best); };
    const int first = std::min(start, count_ - 1) / kGroup;
    visit(first);
    int up = first + 1, down = first - 1;
    while (up < groups_ || down >= 0) {
        if (up < groups_) {
            if (ruledOut(int64_t(key_[up * kGroup]) - key))
                up = groups_;
            else
                visit(up++);
        }
        if (down >= 0) {
            if (ruledOut(key - int64_t(key_[down * kGroup + kGroup - 1])))
                down = -1;
            else
                visit(down--);
        }
    }
    if (bestIndex < 0) return {};
    return {slot_[bestIndex], best};
}

}  // namespace cinepak
