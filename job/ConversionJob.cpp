#include "job/ConversionJob.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <memory>

#include <fmt/format.h>

#include "cinepak/CinepakCompressor.h"
#include "job/AssembleRomImage.h"
#include "job/ConversionPlan.h"
#include "job/MovieTime.h"
#include "platform/AbortEvent.h"
#include "platform/ConvertNotify.h"
#include "platform/RunState.h"
#include "source/MediaSource.h"
#include "video/MovieEncoder.h"

namespace {

constexpr const char* kNoFrameText = "変換できる映像フレームがありません";

// Remarks on the plan for the user before the long work starts: what was changed, and what
// will not fit.
void NotePlan(const ConversionPlan& plan) {
    const VideoPlan& video = plan.video;
    const double rate = double(video.rateNumerator) / video.rateDenominator;
    if (video.refreshDivisor > 1)
        SendConvertNote(fmt::format("{:.3f} frames per second would show more than one frame per display refresh "
                                    "(59.727 a second): one in {} is kept, {:.3f} frames per second",
                                    rate * video.refreshDivisor, video.refreshDivisor, rate));
    if (plan.imageBytes > kCartridgeLimitBytes)
        SendConvertNote(fmt::format("{} KB/s for {} make an image of about {} bytes (at the budget; easy pictures may "
                                    "need less), more than the {} bytes of a cartridge: a lower bitrate or frame rate, "
                                    "a part of the movie or --fit keeps it playable",
                                    video.bitrate, FormatMovieTime(plan.playingUs), plan.imageBytes,
                                    kCartridgeLimitBytes));
}

// The movie's length in frames: as the file states it, else as its packets tell. Only a file
// can be read a second time for them: a second reader of a pipe would take the movie's bytes
// from the conversion.
bool LearnLength(SourceGraph& graph, const JobArguments& arguments, const VideoPlan& plan, int64_t& length) {
    if (QuerySourceLength(graph, length)) return true;
    std::error_code unreadable;
    if (!std::filesystem::is_regular_file(arguments.moviePath, unreadable)) return false;
    MovieFacts facts;
    std::string error;
    if (!ReadMovieFacts(arguments.moviePath, arguments.abortEvent, facts, error)) return false;
    const std::optional<int64_t> scanned = LengthInFrames(facts.timing, plan, arguments.span);
    if (!scanned) return false;
    length = *scanned;
    return true;
}

}  // namespace

bool ConfigureEncoder(MovieEncoder& encoder, const JobArguments& arguments) {
    if (!encoder.SetParameters(arguments.trims, arguments.autoTrim, arguments.width, arguments.height,
                               arguments.frameRateMode, arguments.preFilter, arguments.bitrate))
        return false;
    if (!encoder.SetScreen(arguments.screen)) return false;
    encoder.SetSeekPoints(arguments.seekSpacingRefreshes);
    encoder.SetSoundCoder(arguments.soundCoder);
    if (arguments.byteRate) encoder.SetByteRate(*arguments.byteRate);
    return true;
}

namespace {

// The steps in their order; a code other than kCompleted ends the job at once.
CompletionCode RunSteps(const JobArguments& arguments, MovieEncoder& encoder, std::unique_ptr<SourceGraph>& graph) {
    if (!encoder.SetOutputFile(arguments.streamPath)) return kNoStreamPath;
    if (!ConfigureEncoder(encoder, arguments)) return kParametersRejected;
    if (!BuildSourceGraph(graph, arguments.moviePath, encoder, arguments.abortEvent, arguments.span))
        return kSourceNotBuilt;
    int64_t length = 0;
    if (!LearnLength(*graph, arguments, encoder.Plan(), length)) return kNoDuration;
    if (length == 0) {
        ErrorDetail = PartBeyondEndText(arguments.span);
        return kRunFailed;
    }
    if (arguments.notePlan) NotePlan(CompletePlan(QueryMovieFacts(*graph), encoder.Plan(), length, arguments.span));
    // A stream that cannot begin is never decoded into: nothing could be written.
    if (!encoder.BeginStream(uint32_t(std::clamp<int64_t>(length, 0, UINT32_MAX)))) {
        (void)encoder.FinishStream();
        return kRunFailed;
    }
    // An abort after the decode still skips the sound.
    const bool ran = RunSourceGraph(*graph, arguments.abortEvent) && !RunAborted(arguments.abortEvent);
    // Finished whatever the run gave, so that the file is closed before the worker deletes it.
    const bool finished = encoder.FinishStream();
    if (!ran || !finished) return kRunFailed;
    // A stream without a picture would play nothing at all.
    if (encoder.FramesWritten() == 0) {
        ErrorDetail = kNoFrameText;
        return kRunFailed;
    }
    DetachSampleSinks(graph.get());
    return kCompleted;
}

}  // namespace

CompletionCode ConversionJob::Run(const JobArguments& arguments) {
    try {
        InstallCinepakCompressor();
        MovieEncoder encoder;
        // Declared after the encoder, so released before it: decoding stops before the encoder goes.
        std::unique_ptr<SourceGraph> graph;
        const CompletionCode result = RunSteps(arguments, encoder, graph);
        // An abort taken at any step (waiting for the file, decoding, coding the sound) ends the job as one.
        return RunAborted(arguments.abortEvent) ? kRunFailed : result;
    } catch (...) {
        return kUnexpectedFailure;
    }
}
