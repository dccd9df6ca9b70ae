#include "job/ConversionJob.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "cinepak/CinepakCompressor.h"
#include "source/MediaSource.h"
#include "video/MovieEncoder.h"

namespace {

// The steps in their order; a negative code ends the job at once.
int RunSteps(const JobArguments& arguments, MovieEncoder& encoder, std::unique_ptr<SourceGraph>& graph) {
    if (!encoder.SetOutputFile(arguments.streamPath)) return kJobNoStreamPath;
    if (!encoder.SetParameters(arguments.trims, arguments.autoTrim, arguments.width, arguments.height,
                               arguments.frameRateMode, arguments.preFilter, arguments.bitrate))
        return kJobParametersRejected;
    if (!BuildSourceGraph(graph, arguments.moviePath, encoder)) return kJobSourceFailed;
    int64_t length = 0;
    if (!QuerySourceLength(*graph, length)) return kJobNoDuration;
    // A stream that cannot begin is never decoded into: nothing could be written.
    if (!encoder.BeginStream(uint32_t(std::clamp<int64_t>(length, 0, UINT32_MAX)))) {
        (void)encoder.FinishStream();
        return kJobRunFailed;
    }
    const bool ran = RunSourceGraph(*graph);
    // Finished whatever the run gave, so that the file is closed before the worker deletes it.
    const bool finished = encoder.FinishStream();
    if (!ran || !finished) return kJobRunFailed;
    DetachSampleSinks(graph.get());
    return kJobSucceeded;
}

}  // namespace

int ConversionJob::Run(const JobArguments& arguments) {
    try {
        InstallCinepakCompressor();
        MovieEncoder encoder;
        // Declared after the encoder, so released before it: decoding stops before the encoder goes.
        std::unique_ptr<SourceGraph> graph;
        return RunSteps(arguments, encoder, graph);
    } catch (...) {
        return kJobUnexpected;
    }
}
