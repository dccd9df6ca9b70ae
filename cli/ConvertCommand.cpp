// kavro-cli convert MOVIE OUTPUT: the dialog's conversion without the dialog.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>

#include "cli/CliCommand.h"
#include "cli/ConvertOptions.h"
#include "job/ImageFile.h"
#include "job/ImageSummary.h"
#include "cli/InterruptSignal.h"
#include "cli/ProgressPrinter.h"
#include "job/CartridgeFit.h"
#include "job/Completion.h"
#include "job/PlanSummary.h"
#include "job/ConversionWorker.h"
#include "job/MenuConversion.h"
#include "menu/GuiHost.h"
#include "menu/MenuPreparation.h"
#include "platform/AbortEvent.h"
#include "platform/FileIdentity.h"
#include "platform/QueuedNotifyReceiver.h"
#include "platform/RunState.h"
#include "platform/ThreadPriority.h"
#include "video/MenuCatalogueReader.h"
#include "video/MovieStreamReader.h"

namespace {

struct UsageError {
    std::string message;
};

// The request for the command line, and the checks a run needs beyond the settings.
std::optional<UsageError> BuildRequest(const ConvertOptions& options, bool force, ConversionRequest& request) {
    if (auto fault = options.BuildRequest(request)) return UsageError{*fault};
    if (IsSameFile(request.moviePath, request.outputPath))
        return UsageError{fmt::format("{} is the movie itself; the image needs a file of its own", request.outputPath)};
    if (!force && std::filesystem::exists(request.outputPath))
        return UsageError{fmt::format("{} exists; --force replaces it", request.outputPath)};
    return std::nullopt;
}

struct RunOutcome {
    int completionCode = 0;
    bool aborted = false;
};

// Runs the worker (that of one movie, or of a menu image when `menu` holds movies) on its own
// thread (at background priority with --nice) while this thread shows its notices.
RunOutcome RunConversion(ConversionRequest& request, MenuRequest& menu, bool nice) {
    ProgressPrinter printer(isatty(STDERR_FILENO) != 0);
    std::optional<int> completion;
    QueuedNotifyReceiver receiver([&](uint32_t code, intptr_t value) {
        if (code == NOTIFY_PROGRESS) printer.Progress(int32_t(value));
        if (code == NOTIFY_STATUS) printer.Status(reinterpret_cast<const char*>(value));
        if (code == NOTIFY_NOTE) printer.Note(std::string("kavro-cli convert: ") + reinterpret_cast<const char*>(value));
        if (code == NOTIFY_COMPLETED) completion = int(value);
    });
    request.dialogWindow = &receiver;
    NotifyWindow = &receiver;
    AbortRequested = false;
    ErrorDetail.clear();
    {
        menu.settings = request;
        std::jthread worker([&request, &menu, nice] {
            if (nice) SetCurrentThreadBackgroundPriority();
            if (menu.movies.empty())
                ConversionWorker(request);
            else
                MenuConversionWorker(menu);
        });
        while (!completion) receiver.WaitAndPump(std::chrono::milliseconds(100));
    }
    NotifyWindow = nullptr;
    printer.Finish();
    return {*completion, AbortRequested.load()};
}

nlohmann::json FitSummary(const FitReport& fit) {
    return {{"sizeBytes", fit.sizeBytes},
            {"bitrate", fit.bytesPerSecond / 1024.0},
            {"bytesPerSecond", fit.bytesPerSecond},
            {"fill", double(fit.imageBytes) / double(fit.sizeBytes)},
            {"passes", fit.passes}};
}

nlohmann::json Summary(const ConversionRequest& request, const RunOutcome& outcome, const FitReport& fit) {
    nlohmann::json summary = {{"movie", request.moviePath},     {"output", request.outputPath},
                              {"completionCode", outcome.completionCode}, {"aborted", outcome.aborted},
                              {"ok", outcome.completionCode == 0 && !outcome.aborted}};
    if (!summary["ok"]) {
        summary["message"] = DescribeCompletion(outcome.completionCode, outcome.aborted, ErrorDetail).text;
        summary["cause"] = CompletionCause(CompletionCode(outcome.completionCode));
        return summary;
    }
    const ImageSummary image = SummarizeImage(ReadImageFile(request.outputPath).bytes);
    summary["imageBytes"] = image.imageBytes;
    if (request.fitBytes > 0) summary["fit"] = FitSummary(fit);
    if (const MenuCatalogueCheck& menu = image.menu; menu.isMenu) {
        summary["catalogueOk"] = menu.ok;
        summary["movies"] = nlohmann::json::array();
        for (size_t i = 0; i < menu.entries.size(); ++i)
            summary["movies"].push_back({{"title", TitleOf(menu.entries[i])},
                                         {"streamOffset", menu.entries[i].streamOffset},
                                         {"streamBytes", menu.entries[i].streamBytes},
                                         {"frames", i < menu.streams.size() ? menu.streams[i].info.frameCount : 0}});
        return summary;
    }
    const MovieStreamInfo& stream = image.stream.info;
    summary["streamOffset"] = image.location.offset;
    summary["width"] = stream.width;
    summary["height"] = stream.height;
    summary["frames"] = stream.frameCount;
    summary["framesPerSecond"] = image.figures.framesPerSecond;
    summary["movieSeconds"] = image.figures.movieSeconds;
    summary["audioBlocks"] = stream.audioBlockCount;
    summary["streamOk"] = image.stream.ok;
    return summary;
}

class ConvertCommand final : public CliCommand {
public:
    explicit ConvertCommand(CLI::App& parent)
        : app_(parent.add_subcommand("convert", "Convert a movie into a cartridge image")), options_(*app_) {
        app_->add_flag("--force", force_, "Replace an existing output file");
        app_->add_flag("--json", json_, "Print a summary as JSON on stdout (bytes of a path that are not UTF-8 become U+FFFD)");
        app_->add_flag("--nice", nice_, "Convert at the weakest priority (nice 19), as the dialog does");
    }

    bool Chosen() const override { return app_->parsed(); }

    int Run() override {
        // From the start until the image has replaced the output: a signal aborts the run.
        AbortEvent abortEvent;
        const InterruptSignal interrupt(abortEvent);
        ConversionRequest request;
        if (auto error = BuildRequest(options_, force_, request)) {
            std::cerr << "kavro-cli convert: " << error->message << "\n";
            return kExitUsage;
        }
        std::vector<MenuChoice> choices;
        if (auto fault = options_.MenuChoices(choices)) {
            std::cerr << "kavro-cli convert: " << *fault << "\n";
            return kExitUsage;
        }
        request.abortEvent = &abortEvent;
        FitReport fit;
        request.fitReport = &fit;
        MenuRequest menu;
        if (!choices.empty()) {
            const GuiHost gui;
            std::string error;
            if (!PrepareMenu(choices, menu, error)) {
                std::cerr << "kavro-cli convert: " << error << "\n";
                return kExitDamaged;
            }
        }
        const RunOutcome outcome = RunConversion(request, menu, nice_);
        const CompletionReport report = DescribeCompletion(outcome.completionCode, outcome.aborted, ErrorDetail);
        if (json_)
            std::cout << Summary(request, outcome, fit).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        if (!report.text.empty()) {
            std::cerr << report.text << "\n";
            return kExitDamaged;
        }
        if (json_) return kExitOk;
        std::cerr << "wrote " << request.outputPath;
        if (request.fitBytes > 0)
            std::cerr << fmt::format(": {} bytes, {:.1f} % of {} at {} ({} {})", fit.imageBytes,
                                     100.0 * double(fit.imageBytes) / double(fit.sizeBytes), SizeName(fit.sizeBytes),
                                     RateText(fit.bytesPerSecond), fit.passes, fit.passes == 1 ? "pass" : "passes");
        std::cerr << "\n";
        return kExitOk;
    }

private:
    CLI::App* app_;
    ConvertOptions options_;
    bool force_ = false;
    bool json_ = false;
    bool nice_ = false;
};

}  // namespace

std::unique_ptr<CliCommand> MakeConvertCommand(CLI::App& parent) {
    return std::make_unique<ConvertCommand>(parent);
}
