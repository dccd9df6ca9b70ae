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

CodebookFit UpdateCodebook(std::span<const VqVector> training, const VqParams& params, VectorQuantizer& quantizer,
                           CodebookSearch& search, Codebook& book, std::bitset<kSlots>& changed,
                           std::span<uint8_t> nearest) {
    changed.reset();
    std::array<CodebookEntry, kSlots> fresh;
    MemberCounts members{};
    const int count = quantizer.Train(training, params, fresh, members);
    if (count == 0) return {quantizer.SameGrowth(), std::bitset<kSlots>().set()};

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
    // Free slots: empty ones first, then the entries no block has used for longest, so that the
    // entries recent frames drew with stay for the blocks that change back to them.
    std::array<int, kSlots> free;
    int frees = 0;
    for (int slot = 0; slot < kSlots; ++slot)
        if (!kept[slot]) free[frees++] = slot;
    std::stable_sort(free.begin(), free.begin() + frees, [&](int a, int b) {
        const int64_t ageA = book.defined[a] ? int64_t(book.lastUse[a]) : -1;
        const int64_t ageB = book.defined[b] ? int64_t(book.lastUse[b]) : -1;
        return ageA < ageB;
    });
    int next = 0;
    for (int rank = 0; rank < count && next < frees; ++rank) {
        const int i = order[rank];
        if (!needsSlot[i]) continue;
        const int slot = free[next++];
        book.Set(slot, fresh[i]);
        changed[slot] = true;
    }
    return {quantizer.SameGrowth(), PolishCodebook(training, book.defined | changed, changed, search, book, nearest)};
}

std::bitset<kSlots> PolishCodebook(std::span<const VqVector> training, const std::bitset<kSlots>& usable,
                                   const std::bitset<kSlots>& movable, CodebookSearch& search, Codebook& book,
                                   std::span<uint8_t> nearest) {
    std::array<uint8_t, kSlots> slots;
    search.Build(book.vectors, std::span(slots.data(), size_t(ListSlots(usable, slots))));
    if (search.Empty()) return {};
    SlotSums sums{};
    for (size_t i = 0; i < training.size(); ++i) {
        nearest[i] = uint8_t(search.Nearest(training[i]).slot);
        sums[nearest[i]].Add(training[i]);
    }
    return MoveToCentroids(sums, movable, book);
}

std::bitset<kSlots> MoveToCentroids(const SlotSums& sums, const std::bitset<kSlots>& movable, Codebook& book) {
    std::bitset<kSlots> moved;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (!movable[slot] || sums[slot].count == 0) continue;
        const CodebookEntry entry = EntryFromSums(sums[slot]);
        if (entry == book.entries[slot]) continue;
        book.Set(slot, entry);
        moved[slot] = true;
    }
    return moved;
}

uint8_t NearestAfterMove(const VqVector& v, uint8_t previous, const std::bitset<kSlots>& moved, const Codebook& book,
                         const CodebookSearch& all, const CodebookSearch& movedOnly) {
    if (moved.all()) return uint8_t(all.Nearest(v).slot);
    // An entry that moved a little is still about as near, which narrows the search.
    const VqMatch taker = (moved[previous] ? all : movedOnly).Nearest(v, VqDistance(v, book.vectors[previous]));
    return taker.slot >= 0 ? uint8_t(taker.slot) : previous;
}

}  // namespace cinepak
