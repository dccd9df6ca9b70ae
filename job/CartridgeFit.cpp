#include "job/CartridgeFit.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "cinepak/CinepakFormat.h"
#include "job/AssembleRomImage.h"
#include "job/ConversionWorker.h"
#include "job/MovieTime.h"
#include "job/PlanSummary.h"
#include "job/ProgressShare.h"
#include "job/TemporaryStream.h"
#include "platform/RunState.h"

namespace {

// A run that has not found its rate by then keeps the best image it made.
constexpr int kMaxPasses = 8;
// A pass after the first aims inside the window it missed, clear of both of its edges.
constexpr double kAimFill = 0.985;
// Each pass takes this share of what is left of the bar: the first one most of it.
constexpr int32_t kPassSharePercent = 80;

constexpr uint64_t kMiB = uint64_t(1) << 20;

VideoPlan AtRate(VideoPlan video, uint32_t bytesPerSecond) {
    SetBytesPerSecond(video, bytesPerSecond);
    return video;
}

uint64_t EstimateAt(const ConversionPlan& plan, uint32_t bytesPerSecond) {
    return EstimateImageBytes(AtRate(plan.video, bytesPerSecond), plan.frames, plan.soundSamples);
}

// Each pass's image, and the rate of the next: where the line through the last two passes'
// pictures (through nothing at all for the first) meets the size aimed at, kept between the
// rates known to fit and to pass the size. Pictures that stop growing with the rate (they need
// no more) give a line so flat that the next pass goes straight to the highest rate.
class FitSearch {
public:
    // The first pass at the plan's rate.
    FitSearch(const ConversionPlan& plan, uint64_t sizeBytes)
        : sizeBytes(sizeBytes),
          fixedBytes(EstimateImageBytes(AtRate(plan.video, 0), plan.frames, plan.soundSamples)),
          lowest(LowestFitRate(plan.video)),
          rate(uint32_t(BytesPerSecond(plan.video))) {}

    uint32_t Rate() const { return rate; }
    int Passes() const { return passes; }
    bool Found() const { return fitting > 0; }
    uint32_t BestRate() const { return fitting; }
    uint64_t BestImage() const { return bestImage; }

    struct Outcome {
        bool best = false;   // this pass's image is the best so far
        bool again = false;  // another pass, at Rate()
    };
    Outcome Record(uint64_t imageBytes) {
        ++passes;
        const bool fits = imageBytes <= sizeBytes;
        Outcome outcome;
        if (fits) {
            // The highest rate that fits: it fills the most, or, where the pictures need no more,
            // spends what they can take.
            if (rate > fitting) {
                fitting = rate;
                bestImage = imageBytes;
                outcome.best = true;
            }
        } else {
            passing = std::min(passing, rate);
        }
        const bool full = fits && (double(imageBytes) >= kFitLeastFill * double(sizeBytes) ||
                                   rate >= kFitHighestBytesPerSecond);
        const double pictures = std::max(double(imageBytes) - double(fixedBytes), 1.0);
        if (full || passes >= kMaxPasses || (!fits && rate <= lowest)) return outcome;
        const uint32_t next = Next(pictures);
        previousRate = rate;
        previousPictures = pictures;
        outcome.again = next != rate;
        rate = next;
        return outcome;
    }

private:
    uint32_t Next(double pictures) const {
        const double aim = std::max(kAimFill * double(sizeBytes) - double(fixedBytes), 1.0);
        const double slope = (pictures - previousPictures) / (double(rate) - previousRate);
        double next = slope > 0 ? rate + (aim - pictures) / slope
                                : pictures < aim ? double(kFitHighestBytesPerSecond) : rate / 2.0;
        // A guess that leaves the bracket halves it instead.
        if (fitting > 0 && next <= fitting) next = (double(fitting) + std::min(passing, kFitHighestBytesPerSecond)) / 2;
        if (passing < kNone && next >= passing) next = (double(std::max(fitting, lowest)) + passing) / 2;
        return uint32_t(std::clamp(next, double(lowest), double(kFitHighestBytesPerSecond)));
    }

    const uint64_t sizeBytes;
    const uint64_t fixedBytes;  // the image without its records: player, headers, sound
    const uint32_t lowest;
    uint32_t rate;
    int passes = 0;
    static constexpr uint32_t kNone = UINT32_MAX;
    uint32_t fitting = 0;        // the highest rate whose image fitted; 0: none yet
    uint32_t passing = kNone;    // the lowest rate whose image passed the size
    uint64_t bestImage = 0;      // the image at `fitting`
    double previousRate = 0;     // the pass before, none at first: a line through nothing at all
    double previousPictures = 0;
};

}  // namespace

uint32_t LowestFitRate(const VideoPlan& video) {
    const uint64_t smallest = cinepak::SmallestFrameBytes(video.outputWidth, video.outputHeight);
    const uint64_t perSecond = (smallest * video.rateNumerator + video.rateDenominator - 1) / video.rateDenominator;
    return uint32_t(std::clamp<uint64_t>(perSecond, 1024, kFitHighestBytesPerSecond));
}

CompletionCode PlanToFit(const MovieFacts& facts, JobArguments arguments, uint64_t sizeBytes, ConversionPlan& plan,
                         std::string& error) {
    if (const CompletionCode code = PlanConversion(facts, arguments, plan, error); code != kCompleted) return code;
    uint32_t fits = LowestFitRate(plan.video);
    uint32_t over = kFitHighestBytesPerSecond + 1;
    if (EstimateAt(plan, fits) > sizeBytes) over = fits;
    while (over - fits > 1) {
        const uint32_t middle = fits + (over - fits) / 2;
        (EstimateAt(plan, middle) <= sizeBytes ? fits : over) = middle;
    }
    arguments.byteRate = fits;
    return PlanConversion(facts, arguments, plan, error);
}

std::string SizeName(uint64_t sizeBytes) {
    if (sizeBytes % kMiB == 0) return fmt::format("{} MB", sizeBytes / kMiB);
    return fmt::format("{} バイト", sizeBytes);
}

std::string DoesNotFitText(const ConversionPlan& plan, uint64_t sizeBytes) {
    const int64_t fitting = PlayingTimeUs(plan.video, FramesFitting(plan.video, sizeBytes));
    return fmt::format("{} に収まるのは {} までです（このムービーの {} は、音声といちばん小さな映像だけでも約 {} バイト）。"
                       "開始・終了の時刻で一部を選ぶか、大きなサイズを選んでください。",
                       SizeName(sizeBytes), SpokenDuration(fitting), SpokenDuration(plan.playingUs), plan.imageBytes);
}

CompletionCode FitStream(const ConversionRequest& request, uint64_t sizeBytes, std::optional<TemporaryStream>& best,
                         FitReport& report) {
    MovieFacts facts;
    std::string error;
    if (!ReadMovieFacts(request.moviePath, request.abortEvent, facts, error)) {
        ErrorDetail = error;
        return RunAborted(request.abortEvent) ? kRunFailed : kSourceNotBuilt;
    }
    JobArguments arguments = MapRequest(request, "");
    ConversionPlan plan;
    if (const CompletionCode code = PlanToFit(facts, arguments, sizeBytes, plan, error); code != kCompleted) {
        ErrorDetail = error;
        return code;
    }
    if (plan.imageBytes > sizeBytes) {
        ErrorDetail = DoesNotFitText(plan, sizeBytes);
        return kDoesNotFit;
    }

    FitSearch search(plan, sizeBytes);
    int32_t barStart = 0;
    for (bool again = true; again;) {
        TemporaryStream stream;
        if (!stream.Created()) return kNoTemporaryFile;
        arguments.streamPath = stream.Path();
        arguments.byteRate = search.Rate();
        arguments.notePlan = search.Passes() == 0;
        const int32_t barEnd = barStart + (1000 - barStart) * kPassSharePercent / 100;
        CompletionCode code = kCompleted;
        {
            const ProgressShare share(barStart, barEnd);
            if (search.Passes() > 0) {
                const std::string status = fmt::format("{} に合わせて変換し直しています ({} 回目, {})", SizeName(sizeBytes),
                                                       search.Passes() + 1, RateText(search.Rate()));
                SendConvertStatus(status.c_str());
            }
            code = ConversionJob::Run(arguments);
        }
        barStart = barEnd;
        if (code != kCompleted) return code;
        const FitSearch::Outcome outcome = search.Record(PlayerBytes() + stream.Bytes());
        if (outcome.best) best = std::move(stream);
        again = outcome.again;
    }
    if (!search.Found()) {
        ErrorDetail = fmt::format("{} に収まるイメージを作れませんでした: いちばん低い {} でも {} バイトを超えます。"
                                  "開始・終了の時刻で一部を選ぶか、大きなサイズを選んでください。",
                                  SizeName(sizeBytes), RateText(search.Rate()), sizeBytes);
        return kDoesNotFit;
    }
    report = FitReport{sizeBytes, search.BestRate(), search.BestImage(), search.Passes()};
    return kCompleted;
}

CompletionCode ConvertToFit(const ConversionRequest& request) {
    std::optional<TemporaryStream> best;
    FitReport report;
    if (const CompletionCode code = FitStream(request, uint64_t(request.fitBytes), best, report); code != kCompleted)
        return code;
    if (request.fitReport) *request.fitReport = report;
    return AssembleRomImage(request, best->Path());
}
