#include "source/internal/MovieLength.h"

#include <algorithm>
#include <climits>

AVRational SourceRateOf(const VideoPlan& plan) {
    AVRational rate{0, 1};
    av_reduce(&rate.num, &rate.den, plan.sourceRateNumerator, plan.sourceRateDenominator, INT_MAX);
    return rate;
}

std::optional<int64_t> LengthInFramesAt(const PictureTiming& timing, AVRational frameRate, const MovieSpan& span) {
    const AVRational frame = av_inv_q(frameRate);
    int64_t frames = 0;
    if (timing.streamDuration > 0) {
        const AVRational timeBase{timing.timeBaseNumerator, timing.timeBaseDenominator};
        frames = av_rescale_q_rnd(timing.streamDuration, timeBase, frame, AV_ROUND_NEAR_INF);
    } else if (timing.durationUs > 0) {
        frames = av_rescale_q_rnd(timing.durationUs, AV_TIME_BASE_Q, frame, AV_ROUND_NEAR_INF);
    } else {
        frames = timing.frameCount;
    }
    if (frames <= 0) return std::nullopt;
    if (span.Whole()) return frames;
    // The part on the same grid: from its start to its end, or to the movie's.
    const int64_t first = av_rescale_q_rnd(span.startUs, AV_TIME_BASE_Q, frame, AV_ROUND_NEAR_INF);
    int64_t end = frames;
    if (span.endUs)
        end = std::min(end, first + av_rescale_q_rnd(*span.endUs - span.startUs, AV_TIME_BASE_Q, frame, AV_ROUND_NEAR_INF));
    return std::max<int64_t>(end - first, 0);
}

GridSpan GridSpanOf(const MovieSpan& span, AVRational frameRate, AVRational timeBase) {
    GridSpan grid;
    grid.startTicks = av_rescale_q_rnd(span.startUs, AV_TIME_BASE_Q, timeBase, AV_ROUND_NEAR_INF);
    if (span.endUs)
        grid.endSlot = av_rescale_q_rnd(*span.endUs - span.startUs, AV_TIME_BASE_Q, av_inv_q(frameRate), AV_ROUND_NEAR_INF);
    return grid;
}
