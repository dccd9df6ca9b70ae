#pragma once
// The clock the pictures are delivered on and the movie's length on it, shared by the running
// pipeline and the facts read without one.
#include <cstdint>
#include <optional>

#include "source/MovieFacts.h"
#include "source/internal/Ffmpeg.h"

// The rate the plan read from the decoded format, reduced: the clock the frames are delivered on.
AVRational SourceRateOf(const VideoPlan& plan);

// LengthInFrames of source/MovieFacts.h at `frameRate` frames a second.
std::optional<int64_t> LengthInFramesAt(const PictureTiming& timing, AVRational frameRate, const MovieSpan& span);

// Where the part starts and ends on the picture's grid of `frameRate` slots a second: the
// first slot is the part's start; slots from `end` on are not delivered (none: no end).
struct GridSpan {
    int64_t startTicks = 0;       // the part's start in the stream's ticks, from the picture's start
    std::optional<int64_t> endSlot;
};
GridSpan GridSpanOf(const MovieSpan& span, AVRational frameRate, AVRational timeBase);
