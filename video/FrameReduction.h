#pragma once
// Which decoded frames the frame-rate reduction keeps, and the per-frame byte budget.
#include <cstdint>

#include "video/VideoPlan.h"

// Whether source frame n (counted from 1) survives the reduction of the plan's frameRateMode.
bool KeepsFrame(const VideoPlan& plan, uint32_t n);

// Whether source frame n (counted from 1) becomes a record: KeepsFrame keeps it, and it is the
// last of every refreshDivisor frames kept. Known before the frame is decoded, so that the
// source can leave out the work on pictures no record shows.
bool KeepsDelivery(const VideoPlan& plan, uint32_t n);

// How many of `sourceFrames` frames the reduction keeps, multiplication first: what the
// compressor is told before the stream begins.
uint64_t KeptFrameCount(const VideoPlan& plan, uint64_t sourceFrames);

// How many records a stream of `sourceFrames` decoded frames holds: the frames KeepsFrame
// keeps, thinned by the refresh divisor, exactly as the encoder counts them (KeptFrameCount
// rounds the other way for the modes that keep the first frame of a group).
uint64_t WrittenFrameCount(const VideoPlan& plan, uint64_t sourceFrames);

// The bytes the budget allows the first `frames` kept frames together, whole Cinepak frames
// with their headers: the data rate over their time, truncated.
uint64_t CumulativeTarget(const VideoPlan& plan, uint64_t frames);

// The desired size of kept frame number `frameIndex` (from 0) when `bytesProduced` bytes came
// before it: what the cumulative target of frameIndex + 1 frames leaves, at least half an
// average frame.
uint32_t FrameBudget(const VideoPlan& plan, uint32_t frameIndex, uint64_t bytesProduced);
