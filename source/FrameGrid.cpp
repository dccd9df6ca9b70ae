#include "source/internal/FrameGrid.h"

#include <algorithm>
#include <cstdlib>

FrameGrid::FrameGrid(AVRational frameRate, AVRational timeBase, std::optional<int64_t> origin,
                     std::optional<int64_t> maxStep)
    : slotLength(av_inv_q(frameRate)), timeBase(timeBase), origin(origin), maxStep(maxStep) {}

int64_t FrameGrid::SlotOf(int64_t pts) const {
    // To the nearest slot: timestamps rounded to a coarser clock (Matroska's milliseconds)
    // must not make a picture miss its slot.
    return std::max<int64_t>(0, av_rescale_q_rnd(pts - *origin, timeBase, slotLength, AV_ROUND_NEAR_INF));
}

int64_t FrameGrid::Arrive(std::optional<int64_t> pts, std::optional<int64_t> guess, int64_t duration) {
    if (!started) {
        if (!pts && guess)
            origin = *guess;
        else if (!origin)
            origin = pts.value_or(0);
        started = true;
    }
    if (pts && heldPts && maxStep && std::abs(*pts - *heldPts) > *maxStep) {
        // Moves the origin so that this picture comes one slot after the held one.
        *origin += *pts - *heldPts - av_rescale_q(1, slotLength, timeBase);
    }
    const int64_t slot = pts ? SlotOf(*pts) : holding ? heldSlot + 1 : 0;
    int64_t filled = 0;
    if (holding && slot > nextSlot) {
        filled = slot - nextSlot;
        nextSlot = slot;
    }
    holding = true;
    heldSlot = slot;
    heldPts = pts;
    heldEnd = pts && duration > 0 ? std::optional(*pts + duration) : std::nullopt;
    return filled;
}

int64_t FrameGrid::Finish() {
    if (!holding) return 0;
    holding = false;
    const int64_t end = heldEnd ? SlotOf(*heldEnd) : heldSlot + 1;
    // The held picture has its own slot at least: it replaced any picture before it there.
    return std::max<int64_t>(1, end - nextSlot);
}
