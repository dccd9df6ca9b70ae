// kavro-cli plan MOVIE [convert options]: what a conversion with these settings would make of
// the movie, read from its headers in a moment, without converting it.
#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/CliCommand.h"
#include "cli/ConvertOptions.h"
#include "cli/InterruptSignal.h"
#include "format/Cartridge.h"
#include "format/Handheld.h"
#include "job/CartridgeFit.h"
#include "job/ConversionPlan.h"
#include "job/ConversionWorker.h"
#include "job/MovieTime.h"
#include "job/PlanSummary.h"
#include "platform/AbortEvent.h"

namespace {

using nlohmann::json;

constexpr const char* kBudgetNote = "at the budget; easy pictures may need less and make it smaller";

double Seconds(int64_t microseconds) { return double(microseconds) / kMicrosecondsPerSecond; }

// Which decoded frames the plan keeps, in words.
std::string KeptWords(const VideoPlan& video) {
    static constexpr const char* kModes[] = {"every frame", "4 in 5", "2 in 3", "1 in 2", "2 in 5", "1 in 3"};
    std::string words = video.frameRateMode == -1 ? fmt::format("1 in {}", video.decimationDivisor)
                                                  : std::string(kModes[std::clamp(video.frameRateMode, 0, 5)]);
    if (video.refreshDivisor > 1) words += fmt::format(", then 1 in {} for the display", video.refreshDivisor);
    return words;
}

struct Placement {
    uint32_t left, top;
};
Placement PlacementOf(const VideoPlan& video) {
    return {handheld::CentredOffset(handheld::kScreenWidth, uint32_t(video.outputWidth)),
            handheld::CentredOffset(handheld::kScreenHeight, uint32_t(video.outputHeight))};
}

json Describe(const MovieFacts& facts, const ConversionPlan& plan, const ConversionRequest& request) {
    const VideoPlan& video = plan.video;
    const BitmapInfoHeader& shown = facts.videoFormat.bmiHeader;
    json sound = nullptr;
    if (facts.sound)
        sound = {{"codec", facts.sound->codec}, {"sampleRate", facts.sound->sampleRate},
                 {"channels", facts.sound->channels}, {"seconds", Seconds(facts.sound->durationUs)}};
    json fits = json::array();
    for (const uint64_t size : cartridge::kCommonSizes)
        fits.push_back({{"sizeBytes", size}, {"seconds", Seconds(PlayingTimeUs(video, FramesFitting(video, size)))}});
    const Placement placement = PlacementOf(video);
    json summary = {
        {"movie", request.moviePath},
        {"container", facts.container},
        {"containerName", facts.containerName},
        {"video",
         {{"codec", facts.videoCodec},
          {"codedWidth", facts.codedWidth},
          {"codedHeight", facts.codedHeight},
          {"width", shown.biWidth},
          {"height", shown.biHeight},
          {"displayAspect", fmt::format("{}:{}", facts.displayAspectWidth, facts.displayAspectHeight)},
          {"framesPerSecond", double(video.sourceRateNumerator) / video.sourceRateDenominator},
          {"seconds", Seconds(MovieDurationUs(facts, video))},
          {"lengthScanned", facts.lengthScanned}}},
        {"sound", sound},
        {"startSeconds", Seconds(plan.span.startUs)},
        {"endSeconds", plan.span.endUs ? json(Seconds(*plan.span.endUs)) : json(nullptr)},
        {"width", video.outputWidth},
        {"height", video.outputHeight},
        {"left", placement.left},
        {"top", placement.top},
        // The margins cut from the picture as it is shown; the plan's vertical ones count buffer rows.
        {"crop", {{"left", video.trimLeft}, {"top", video.trimBottom}, {"right", video.trimRight}, {"bottom", video.trimTop}}},
        {"framesPerSecond", double(video.rateNumerator) / video.rateDenominator},
        {"kept", KeptWords(video)},
        {"frameStep", video.frameStep},
        {"sourceFrames", plan.sourceFrames},
        {"frames", plan.frames},
        {"audioBlocks", plan.audioBlocks},
        {"bitrate", double(BytesPerSecond(video)) / 1024},
        {"bytesPerSecond", BytesPerSecond(video)},
        {"imageBytes", plan.imageBytes},
        {"imageBytesNote", kBudgetNote},
        {"playingSeconds", Seconds(plan.playingUs)},
        {"fits", fits},
    };
    if (request.fitBytes > 0) {
        const uint64_t size = uint64_t(request.fitBytes);
        summary["fit"] = {{"sizeBytes", size}, {"fits", plan.imageBytes <= size},
                          {"fill", double(plan.imageBytes) / double(size)}};
        if (plan.imageBytes > size) summary["fit"]["message"] = DoesNotFitText(plan, size);
    }
    return summary;
}

void PrintText(const json& plan, const MovieFacts& facts, const ConversionPlan& conversion) {
    const VideoPlan& video = conversion.video;
    const auto line = [](std::string_view label, const std::string& text) { fmt::print("{:<10}  {}\n", label, text); };
    line("movie", plan["movie"].get<std::string>());
    line("facts", FactsLine(facts, video));
    line("container", fmt::format("{} ({})", facts.container, facts.containerName));
    line("video", fmt::format("{} {}×{}, shown {}×{} ({}), {} fps", facts.videoCodec, facts.codedWidth, facts.codedHeight,
                              plan["video"]["width"].get<int>(), plan["video"]["height"].get<int>(),
                              plan["video"]["displayAspect"].get<std::string>(),
                              RateWords(video.sourceRateNumerator, video.sourceRateDenominator)));
    line("duration", fmt::format("{} ({})", FormatMovieTime(MovieDurationUs(facts, video)),
                                 facts.lengthScanned ? "the file states none: read from its packets" : "as the file states"));
    line("sound", facts.sound ? fmt::format("{} ({}), {}", SoundWords(*facts.sound), facts.sound->codec,
                                            FormatMovieTime(facts.sound->durationUs))
                              : std::string("none"));
    if (!conversion.span.Whole())
        line("part", fmt::format("{} to {}", FormatMovieTime(conversion.span.startUs),
                                 conversion.span.endUs ? FormatMovieTime(*conversion.span.endUs) : "the end"));
    const Placement placement = PlacementOf(video);
    line("picture", fmt::format("{}×{} at {},{} on the {}×{} screen; margins cut L,T,R,B {},{},{},{}", video.outputWidth,
                                video.outputHeight, placement.left, placement.top, handheld::kScreenWidth,
                                handheld::kScreenHeight, video.trimLeft, video.trimBottom, video.trimRight, video.trimTop));
    line("frames", fmt::format("{} of {} decoded, {} fps ({} kept), frame step {} (0x{:X})", conversion.frames,
                               conversion.sourceFrames, RateWords(video.rateNumerator, video.rateDenominator),
                               KeptWords(video), video.frameStep, video.frameStep));
    line("sound", fmt::format("{} blocks of 352 samples, 4-bit ADPCM at 21024 Hz", conversion.audioBlocks));
    line("bitrate", RateText(BytesPerSecond(video)));
    line("image", fmt::format("about {} bytes ({})", conversion.imageBytes, kBudgetNote));
    line("playing", FormatMovieTime(conversion.playingUs));
    std::string fits;
    for (const json& size : plan["fits"])
        fits += fmt::format("{}{}: {}", fits.empty() ? "" : ", ", SizeName(size["sizeBytes"].get<uint64_t>()),
                            FormatMovieTime(int64_t(size["seconds"].get<double>()) * kMicrosecondsPerSecond));
    line("fits", fits + " of this movie at this bitrate");
    if (plan.contains("fit")) {
        const json& fit = plan["fit"];
        line("fit", fit["fits"].get<bool>()
                        ? fmt::format("{}: {} fills {:.1f} % by the estimate", SizeName(fit["sizeBytes"].get<uint64_t>()),
                                      RateText(BytesPerSecond(video)), 100 * fit["fill"].get<double>())
                        : fit["message"].get<std::string>());
    }
}

class PlanCommand final : public CliCommand {
public:
    explicit PlanCommand(CLI::App& parent)
        : app_(parent.add_subcommand("plan", "Tell what converting a movie would make, from its headers, without converting")),
          options_(*app_, false) {
        app_->add_flag("--json", json_, "Print the plan as JSON on stdout");
    }

    bool Chosen() const override { return app_->parsed(); }

    int Run() override {
        ConversionRequest request;
        if (auto fault = options_.BuildRequest(request)) {
            std::cerr << "kavro-cli plan: " << *fault << "\n";
            return kExitUsage;
        }
        // A file that keeps us waiting (a FIFO) ends with Ctrl-C.
        AbortEvent abortEvent;
        const InterruptSignal interrupt(abortEvent);
        MovieFacts facts;
        std::string error;
        ConversionPlan plan;
        CompletionCode code = kSourceNotBuilt;
        if (ReadMovieFacts(request.moviePath, &abortEvent, facts, error)) {
            const JobArguments arguments = MapRequest(request, "");
            code = request.fitBytes > 0 ? PlanToFit(facts, arguments, uint64_t(request.fitBytes), plan, error)
                                        : PlanConversion(facts, arguments, plan, error);
        }
        if (code != kCompleted) {
            std::cerr << "kavro-cli plan: " << error << "\n";
            return kExitDamaged;
        }
        const json summary = Describe(facts, plan, request);
        if (json_)
            std::cout << summary.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
        else
            PrintText(summary, facts, plan);
        // A size the movie cannot fit fails as convert --fit would.
        return request.fitBytes > 0 && plan.imageBytes > uint64_t(request.fitBytes) ? kExitDamaged : kExitOk;
    }

private:
    CLI::App* app_;
    ConvertOptions options_;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<CliCommand> MakePlanCommand(CLI::App& parent) {
    return std::make_unique<PlanCommand>(parent);
}
