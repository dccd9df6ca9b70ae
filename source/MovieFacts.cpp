#include "source/MovieFacts.h"

#include "source/AviProbe.h"
#include "source/SourceGraph.h"
#include "source/internal/DecodingPipeline.h"
#include "source/internal/MovieLength.h"

namespace {

// The movie opened as BuildSourceGraph opens it, up to the point where decoding would begin.
MediaStatus OpenStreams(DecodingPipeline& pipeline, const std::string& path, const AbortEvent* abortEvent) {
    if (const MediaStatus status = pipeline.OpenInput(path, abortEvent); status < 0) return status;
    if (const MediaStatus status = pipeline.OpenVideo(); status < 0) return status;
    return pipeline.OpenAudio();
}

}  // namespace

bool ReadMovieFacts(const std::string& path, const AbortEvent* abortEvent, MovieFacts& facts, std::string& error) {
    SourceGraph graph;
    DecodingPipeline& pipeline = graph.Pipeline();
    MediaStatus status = OpenStreams(pipeline, path, abortEvent);
    if (status >= 0) {
        facts = pipeline.Facts();
        uint32_t rate = 0;
        uint32_t scale = 0;
        if (ProbeAviFrameRate(path, rate, scale)) {
            facts.probedRate = rate;
            facts.probedScale = scale;
        }
        const PictureTiming& timing = facts.timing;
        if (timing.streamDuration <= 0 && timing.durationUs <= 0 && timing.frameCount <= 0)
            status = pipeline.ScanLength(facts);
    }
    if (abortEvent && abortEvent->IsSignalled()) status = kStatusAborted;
    if (status < 0) error = MediaFailureText(status);
    return status >= 0;
}

std::optional<int64_t> LengthInFrames(const PictureTiming& timing, const VideoPlan& plan, const MovieSpan& span) {
    return LengthInFramesAt(timing, SourceRateOf(plan), span);
}
