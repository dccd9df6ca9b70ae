#include "job/ConversionPlan.h"

#include <algorithm>
#include <limits>

#include <fmt/format.h>

#include "audio/AdpcmEncoder.h"
#include "format/Cinepak.h"
#include "format/MovieStream.h"
#include "job/MovieTime.h"
#include "resources/Resources.h"
#include "source/MediaSource.h"
#include "video/FrameReduction.h"
#include "video/MovieEncoder.h"

namespace {

// A record keeps the frame's strip data behind a header of its own, instead of the frame's and
// the strip's: 18 bytes less (up to 3 come back as alignment).
constexpr uint64_t kRecordSavingBytes =
    cinepak::kFrameHeaderBytes + cinepak::kStripHeaderBytes - movie_stream::kRecordHeaderBytes;

uint32_t AsCount(uint64_t value) { return uint32_t(std::min<uint64_t>(value, std::numeric_limits<uint32_t>::max())); }

// The part's sound at the stream's rate: from its start to its end or the sound's.
uint64_t SoundSamplesOf(const MovieFacts& facts, const MovieSpan& span) {
    if (!facts.sound || facts.sound->durationUs <= 0) return 0;
    const int64_t end = span.endUs ? std::min(*span.endUs, facts.sound->durationUs) : facts.sound->durationUs;
    const int64_t lasting = std::max<int64_t>(end - span.startUs, 0);
    return uint64_t((unsigned __int128)lasting * movie_stream::kSampleRateHz / kMicrosecondsPerSecond);
}

}  // namespace

std::string PartBeyondEndText(const MovieSpan& span) {
    return fmt::format("{} から後にはムービーがありません", FormatMovieTime(span.startUs));
}

uint64_t PlayerBytes() {
    return FindModuleResource("BINARY", 130).value_or(std::span<const uint8_t>()).size();
}

uint64_t EstimateImageBytes(const VideoPlan& video, uint64_t frames, uint64_t soundSamples) {
    const uint64_t target = CumulativeTarget(video, frames);
    const uint64_t records = target - std::min(target, frames * kRecordSavingBytes);
    const uint64_t audio = uint64_t(AudioBlockCountFor(soundSamples, AsCount(frames), video.frameStep)) * kAdpcmBlockBytes;
    return PlayerBytes() + movie_stream::kHeaderBytes + records + movie_stream::kAudioCountBytes + audio;
}

int64_t PlayingTimeUs(const VideoPlan& video, uint64_t frames) {
    return FramesDurationUs(frames, video.rateNumerator, video.rateDenominator);
}

uint64_t FramesFitting(const VideoPlan& video, uint64_t bytes) {
    // Every record costs at least one refresh's sound, so `bytes` records are more than fit.
    uint64_t fits = 0;
    uint64_t over = bytes / kAdpcmBlockBytes + 2;
    while (over - fits > 1) {
        const uint64_t middle = fits + (over - fits) / 2;
        (EstimateImageBytes(video, middle, 0) <= bytes ? fits : over) = middle;
    }
    return EstimateImageBytes(video, fits, 0) <= bytes ? fits : 0;
}

ConversionPlan CompletePlan(const MovieFacts& facts, const VideoPlan& video, int64_t sourceFrames, const MovieSpan& span) {
    ConversionPlan plan;
    plan.video = video;
    plan.span = span;
    plan.sourceFrames = sourceFrames;
    plan.frames = WrittenFrameCount(video, uint64_t(std::max<int64_t>(sourceFrames, 0)));
    plan.soundSamples = SoundSamplesOf(facts, span);
    plan.audioBlocks = AudioBlockCountFor(plan.soundSamples, AsCount(plan.frames), video.frameStep);
    plan.imageBytes = EstimateImageBytes(video, plan.frames, plan.soundSamples);
    plan.playingUs = PlayingTimeUs(video, plan.frames);
    return plan;
}

CompletionCode PlanConversion(const MovieFacts& facts, const JobArguments& arguments, ConversionPlan& plan,
                              std::string& error) {
    // The encoder plans as it would in the conversion: the same steps, without a stream.
    MovieEncoder encoder;
    if (!ConfigureEncoder(encoder, arguments)) {
        error = std::string(CompletionCause(kParametersRejected));
        return kParametersRejected;
    }
    encoder.SetProbedRate(facts.probedRate, facts.probedScale);
    if (!encoder.SetupVideo(facts.videoFormat)) {
        error = PictureRefusalText(encoder.Plan(), facts.videoFormat.bmiHeader);
        return kSourceNotBuilt;
    }
    const std::optional<int64_t> length = LengthInFrames(facts.timing, encoder.Plan(), arguments.span);
    if (!length) {
        error = std::string(CompletionCause(kNoDuration));
        return kNoDuration;
    }
    if (*length == 0) {
        error = PartBeyondEndText(arguments.span);
        return kRunFailed;
    }
    plan = CompletePlan(facts, encoder.Plan(), *length, arguments.span);
    return kCompleted;
}
