#pragma once
// Puts decoded pictures on a constant-rate grid of frame slots, the clock the encoder paces
// its frames by: every slot gets the latest picture whose presentation time has come (to the
// nearest slot). A picture held longer than a slot fills several, drop frames and timestamp
// gaps included; of pictures closer together than a slot only the last is kept.
// Slot 0 begins at the origin, so a first picture after it is shown from slot 0. A first
// picture without a time of its own moves the origin to the decoder's guess of its time:
// behind a decoder that holds pictures back, decode-order timestamps (MPEG-4 with B-frames in
// AVI) make that guess and the times of the pictures after it late by the same delay.
// In containers whose timestamps may jump, a step beyond a limit between two pictures is such
// a jump: the grid goes on from the picture before.
// A grid may end: no slot from its end on is filled, and pictures from there on are not wanted.
// A grid whose origin is fixed (a part of a movie that starts later) keeps it, and places a
// picture without a time of its own by the decoder's guess: late by a decoder's delay at most.
#include <cstdint>
#include <optional>

#include "source/internal/Ffmpeg.h"

struct GridBounds {
    bool fixedOrigin = false;
    std::optional<int64_t> endSlot;  // none: no end
};

class FrameGrid {
public:
    // `frameRate` in slots per second; `origin` in `timeBase` ticks, none: the first picture's
    // time; `maxStep` in ticks, none: timestamps do not jump.
    FrameGrid(AVRational frameRate, AVRational timeBase, std::optional<int64_t> origin, std::optional<int64_t> maxStep,
              GridBounds bounds = {});

    // A picture presented at `pts` for `duration` ticks (none: right after the previous
    // picture; 0: unknown) arrives; `guess` is the decoder's guess of its time. Answers how
    // many slots the picture held until now fills before this one takes its place: 0 when
    // this one replaces it.
    int64_t Arrive(std::optional<int64_t> pts, std::optional<int64_t> guess, int64_t duration);
    // The stream has ended: how many slots the picture held last fills (0 when none is held).
    int64_t Finish();
    // A picture at or after the end has arrived: no later one is wanted.
    bool Ended() const { return ended; }
    // The slot a picture presented at `pts` comes in; none before the first picture has
    // arrived (the origin may still move) and where timestamps may jump.
    std::optional<int64_t> SlotAt(int64_t pts) const;

private:
    int64_t SlotOf(int64_t pts) const;

    const AVRational slotLength;  // seconds
    const AVRational timeBase;
    std::optional<int64_t> origin;
    const std::optional<int64_t> maxStep;
    const GridBounds bounds;
    int64_t nextSlot = 0;  // the first slot not yet filled
    bool started = false;  // a picture has arrived
    bool holding = false;
    bool ended = false;
    int64_t heldSlot = 0;            // the slot where the held picture's time comes
    std::optional<int64_t> heldPts;  // its time in ticks, when known
    std::optional<int64_t> heldEnd;  // its end in ticks, when known
};
