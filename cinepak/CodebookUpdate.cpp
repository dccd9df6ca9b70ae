#include "cinepak/CodebookUpdate.h"

#include <algorithm>
#include <numeric>

namespace cinepak {

int ListSlots(const std::bitset<kSlots>& set, std::array<uint8_t, kSlots>& slots) {
    int count = 0;
    for (int slot = 0; slot < kSlots; ++slot)
        if (set[slot]) slots[count++] = uint8_t(slot);
    return count;
}

CostRange UpdateCodebook(std::span<const VqVector> training, const VqParams& params, VectorQuantizer& quantizer,
                         CodebookSearch& search, Codebook& book, std::bitset<kSlots>& changed) {
    changed.reset();
    std::array<CodebookEntry, kSlots> fresh;
    MemberCounts members{};
    const int count = quantizer.Train(training, params, fresh, members);
    if (count == 0) return quantizer.SameGrowth();

    std::array<uint8_t, kSlots> slots;
    search.Build(book.vectors, std::span(slots.data(), size_t(ListSlots(book.defined, slots))));
    // Using entry e instead of centroid c costs each of the cluster's n vectors |c - e|^2 more.
    std::bitset<kSlots> kept;
    std::bitset<kSlots> needsSlot;
    for (int i = 0; i < count; ++i) {
        const VqMatch match = search.Nearest(VectorOfEntry(fresh[i]));
        if (match.slot >= 0 && double(members[i]) * match.distance <= params.entryCost)
            kept[match.slot] = true;
        else
            needsSlot[i] = true;
    }
    // Largest clusters first, should the free slots run out.
    std::array<int, kSlots> order;
    std::iota(order.begin(), order.begin() + count, 0);
    std::stable_sort(order.begin(), order.begin() + count, [&](int a, int b) { return members[a] > members[b]; });
    int slot = 0;
    for (int rank = 0; rank < count; ++rank) {
        const int i = order[rank];
        if (!needsSlot[i]) continue;
        while (slot < kSlots && kept[slot]) ++slot;
        if (slot == kSlots) break;
        book.Set(slot, fresh[i]);
        changed[slot] = true;
        ++slot;
    }
    PolishCodebook(training, book.defined | changed, changed, search, book);
    return quantizer.SameGrowth();
}

void PolishCodebook(std::span<const VqVector> training, const std::bitset<kSlots>& usable,
                    const std::bitset<kSlots>& movable, CodebookSearch& search, Codebook& book) {
    if (movable.none()) return;
    std::array<uint8_t, kSlots> slots;
    search.Build(book.vectors, std::span(slots.data(), size_t(ListSlots(usable, slots))));
    SlotSums sums{};
    for (const VqVector& v : training) {
        const VqMatch match = search.Nearest(v);
        if (match.slot >= 0) sums[match.slot].Add(v);
    }
    MoveToCentroids(sums, movable, book);
}

void MoveToCentroids(const SlotSums& sums, const std::bitset<kSlots>& movable, Codebook& book) {
    for (int slot = 0; slot < kSlots; ++slot)
        if (movable[slot] && sums[slot].count > 0) book.Set(slot, EntryFromSums(sums[slot]));
}

}  // namespace cinepak
