#include "source/internal/FrameGrid.h"

#include <algorithm>
#include <cstdlib>

FrameGrid::FrameGrid(AVRational frameRate, AVRational timeBase, std::optional<int64_t> origin,
                     std::optional<int64_t> maxStep, GridBounds bounds)
    : slotLength(av_inv_q(frameRate)), timeBase(timeBase), origin(origin), maxStep(maxStep), bounds(bounds) {}

int64_t FrameGrid::SlotOf(int64_t pts) const {
    // To the nearest slot: timestamps rounded to a coarser clock (Matroska's milliseconds)
    // must not make a picture miss its slot.
    return std::max<int64_t>(0, av_rescale_q_rnd(pts - *origin, timeBase, slotLength, AV_ROUND_NEAR_INF));
}

std::optional<int64_t> FrameGrid::SlotAt(int64_t pts) const {
    if (!started || !origin || maxStep) return std::nullopt;
    return SlotOf(pts);
}

int64_t FrameGrid::Arrive(std::optional<int64_t> pts, std::optional<int64_t> guess, int64_t duration) {
    if (ended) return 0;
    if (!started && !bounds.fixedOrigin) {
        if (!pts && guess)
            origin = *guess;
        else if (!origin)
            origin = pts.value_or(0);
    }
    started = true;
    if (pts && heldPts && maxStep && std::abs(*pts - *heldPts) > *maxStep) {
        // Moves the origin so that this picture comes one slot after the held one.
        *origin += *pts - *heldPts - av_rescale_q(1, slotLength, timeBase);
    }
    const std::optional<int64_t> placedBy = pts ? pts : bounds.fixedOrigin ? guess : std::nullopt;
    const int64_t slot = placedBy ? SlotOf(*placedBy) : holding ? heldSlot + 1 : 0;
    const int64_t until = bounds.endSlot ? std::min(slot, *bounds.endSlot) : slot;
    int64_t filled = 0;
    if (holding && until > nextSlot) {
        filled = until - nextSlot;
        nextSlot = until;
    }
    if (bounds.endSlot && slot >= *bounds.endSlot) {
        holding = false;
        ended = true;
        return filled;
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
    int64_t end = heldEnd ? SlotOf(*heldEnd) : heldSlot + 1;
    if (bounds.endSlot) end = std::min(end, *bounds.endSlot);
    // The held picture has its own slot at least: it replaced any picture before it there.
    return std::max<int64_t>(1, end - nextSlot);
}
