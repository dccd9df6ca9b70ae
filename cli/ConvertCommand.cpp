// kavro-cli convert MOVIE OUTPUT: the dialog's conversion without the dialog.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string_view>
#include <thread>

#include "cli/CliCommand.h"
#include "cli/ImageFile.h"
#include "cli/InterruptSignal.h"
#include "cli/ProgressPrinter.h"
#include "cli/StreamSummary.h"
#include "job/CompletionReport.h"
#include "job/ConversionWorker.h"
#include "platform/Cp932.h"
#include "platform/AbortEvent.h"
#include "platform/FileIdentity.h"
#include "platform/QueuedNotifyReceiver.h"
#include "platform/RunState.h"
#include "platform/ThreadPriority.h"
#include "video/MovieStreamReader.h"

namespace {

// The frame-rate list of the dialog, in its order: the index is the stored choice.
constexpr std::array<std::string_view, 9> kFrameRates = {"auto", "unchanged", "4/5", "2/3", "1/2",
                                                         "2/5", "1/3", "1/4", "1/5"};

struct ConvertOptions {
    std::string moviePath;
    std::string outputPath;
    std::string romName;
    int32_t bitrate = 120;
    std::string picture;  // empty: no-resize, or manual when a manual option is given
    std::optional<int32_t> trimMode;
    std::optional<std::string> trims;
    std::optional<std::string> size;
    std::string frameRate = "auto";
    int32_t preFilter = 3;
    bool force = false;
    bool json = false;
    bool nice = false;
};

struct UsageError {
    std::string message;
};

// "L,T,R,B" into the request's margins.
std::optional<UsageError> ParseTrims(const std::string& text, ConversionRequest& request) {
    int32_t values[4];
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &values[0], &values[1], &values[2], &values[3], &tail) != 4)
        return UsageError{fmt::format("--trim takes L,T,R,B, not \"{}\"", text)};
    if (std::any_of(values, values + 4, [](int32_t v) { return v < 0 || v > 1000; }))
        return UsageError{"--trim margins lie in 0..1000"};
    request.trimLeft = values[0];
    request.trimTop = values[1];
    request.trimRight = values[2];
    request.trimBottom = values[3];
    return std::nullopt;
}

// "WxH" or "auto" into the request's size.
std::optional<UsageError> ParseSize(const std::string& text, ConversionRequest& request) {
    if (text == "auto") {
        request.autoSize = 1;
        return std::nullopt;
    }
    int32_t width = 0, height = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2)
        return UsageError{fmt::format("--size takes WxH or auto, not \"{}\"", text)};
    if (width < 4 || width > 240 || height < 4 || height > 160 || width % 4 != 0 || height % 4 != 0)
        return UsageError{"--size needs multiples of 4 up to 240x160"};
    request.autoSize = 0;
    request.width = width;
    request.height = height;
    return std::nullopt;
}

// The picture presets set trimming and size as the dialog's radio buttons do.
std::optional<UsageError> ApplyPicture(const ConvertOptions& options, ConversionRequest& request) {
    const bool manualGiven = options.trimMode || options.trims || options.size;
    const std::string picture = options.picture.empty() ? (manualGiven ? "manual" : "no-resize") : options.picture;
    if (picture != "manual" && manualGiven)
        return UsageError{"--trim-mode, --trim and --size go with --picture manual"};
    if (picture == "no-resize") {
        request.pictureMode = 0;
        request.trimMode = 0;
        request.autoSize = 1;
    } else if (picture == "keep-aspect") {
        request.pictureMode = 1;
        request.trimMode = 1;
        request.autoSize = 1;
    } else if (picture == "stretch") {
        request.pictureMode = 2;
        request.trimMode = 0;
        request.autoSize = 0;
        request.width = 240;
        request.height = 160;
    } else {
        request.pictureMode = 3;
        request.trimMode = options.trimMode.value_or(options.trims ? 3 : 0);
        if (options.trims)
            if (auto error = ParseTrims(*options.trims, request)) return error;
        if (options.size)
            if (auto error = ParseSize(*options.size, request)) return error;
        // Automatic trimming always goes with an automatic size, as in the dialog.
        if (request.trimMode == 1 || request.trimMode == 2) request.autoSize = 1;
    }
    return std::nullopt;
}

std::optional<UsageError> BuildRequest(const ConvertOptions& options, ConversionRequest& request) {
    request.moviePath = options.moviePath;
    request.outputPath = std::filesystem::absolute(options.outputPath).string();
    request.bitrate = options.bitrate;
    request.preFilter = options.preFilter;
    request.frameRateChoice = int32_t(std::find(kFrameRates.begin(), kFrameRates.end(), options.frameRate) - kFrameRates.begin());
    request.romName = options.romName;
    // The dialog forces upper case; the handheld's title field expects it.
    std::transform(request.romName.begin(), request.romName.end(), request.romName.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
    const std::optional<std::string> titleBytes = Utf8ToCp932(request.romName);
    if (!titleBytes || titleBytes->size() > 12)
        return UsageError{fmt::format("--rom-name \"{}\" must fit 12 bytes of Shift-JIS", options.romName)};
    if (auto error = ApplyPicture(options, request)) return error;
    if (IsSameFile(request.moviePath, request.outputPath))
        return UsageError{fmt::format("{} is the movie itself; the image needs a file of its own", options.outputPath)};
    if (!options.force && std::filesystem::exists(request.outputPath))
        return UsageError{fmt::format("{} exists; --force replaces it", request.outputPath)};
    return std::nullopt;
}

struct RunOutcome {
    int completionCode = 0;
    bool aborted = false;
};

// Runs the worker on its own thread (at background priority with --nice) while this thread
// shows its notices.
RunOutcome RunConversion(ConversionRequest& request, bool nice) {
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
        std::jthread worker([&request, nice] {
            if (nice) SetCurrentThreadBackgroundPriority();
            ConversionWorker(request);
        });
        while (!completion) receiver.WaitAndPump(std::chrono::milliseconds(100));
    }
    NotifyWindow = nullptr;
    printer.Finish();
    return {*completion, AbortRequested.load()};
}

nlohmann::json Summary(const ConversionRequest& request, const RunOutcome& outcome) {
    nlohmann::json summary = {{"movie", request.moviePath},     {"output", request.outputPath},
                              {"completionCode", outcome.completionCode}, {"aborted", outcome.aborted},
                              {"ok", outcome.completionCode == 0 && !outcome.aborted}};
    if (!summary["ok"]) {
        summary["message"] = DescribeCompletion(outcome.completionCode, outcome.aborted, ErrorDetail).text;
        return summary;
    }
    const ImageFile image = ReadImageFile(request.outputPath);
    const StreamLocation location = LocateStream(image.bytes, std::nullopt);
    const MovieStreamCheck stream = ReadMovieStream(image.bytes, location.offset);
    const StreamSummary figures = SummarizeStream(stream.info);
    summary["imageBytes"] = image.bytes.size();
    summary["streamOffset"] = location.offset;
    summary["width"] = stream.info.width;
    summary["height"] = stream.info.height;
    summary["frames"] = stream.info.frameCount;
    summary["framesPerSecond"] = figures.framesPerSecond;
    summary["movieSeconds"] = figures.movieSeconds;
    summary["audioBlocks"] = stream.info.audioBlockCount;
    summary["streamOk"] = stream.ok;
    return summary;
}

class ConvertCommand final : public CliCommand {
public:
    explicit ConvertCommand(CLI::App& parent)
        : app_(parent.add_subcommand("convert", "Convert a movie into a cartridge image")) {
        app_->add_option("movie", options_.moviePath, "The movie to convert")->required();
        app_->add_option("output", options_.outputPath, "The cartridge image to write (.gba)")->required();
        app_->add_option("--rom-name", options_.romName, "Title in the cartridge header (12 bytes at most)");
        app_->add_option("--bitrate", options_.bitrate, "Kilobytes of movie stream per second")
            ->check(CLI::Range(1, 100000))
            ->capture_default_str();
        app_->add_option("--picture", options_.picture, "no-resize | keep-aspect | stretch | manual (default no-resize)")
            ->check(CLI::IsMember({"no-resize", "keep-aspect", "stretch", "manual"}));
        app_->add_option("--trim-mode", options_.trimMode,
                         "Manual picture: 0 none, 1 automatic, 2 manual then automatic, 3 manual only")
            ->check(CLI::Range(0, 3));
        app_->add_option("--trim", options_.trims, "Manual picture: margins L,T,R,B in source pixels");
        app_->add_option("--size", options_.size, "Manual picture: WxH (multiples of 4) or auto");
        app_->add_option("--frame-rate", options_.frameRate, "auto | unchanged | 4/5 | 2/3 | 1/2 | 2/5 | 1/3 | 1/4 | 1/5")
            ->check(CLI::IsMember(std::vector<std::string>(kFrameRates.begin(), kFrameRates.end())))
            ->capture_default_str();
        app_->add_option("--prefilter", options_.preFilter,
                         "0 none, 1 cut to 15 bits, 2 2-level dither, 3 4-level dither")
            ->check(CLI::Range(0, 3))
            ->capture_default_str();
        app_->add_flag("--force", options_.force, "Replace an existing output file");
        app_->add_flag("--json", options_.json,
                       "Print a summary as JSON on stdout (bytes of a path that are not UTF-8 become U+FFFD)");
        app_->add_flag("--nice", options_.nice, "Convert at the weakest priority (nice 19), as the dialog does");
    }

    bool Chosen() const override { return app_->parsed(); }

    int Run() override {
        // From the start until the image has replaced the output: a signal aborts the run.
        AbortEvent abortEvent;
        const InterruptSignal interrupt(abortEvent);
        ConversionRequest request;
        if (auto error = BuildRequest(options_, request)) {
            std::cerr << "kavro-cli convert: " << error->message << "\n";
            return kExitUsage;
        }
        request.abortEvent = &abortEvent;
        const RunOutcome outcome = RunConversion(request, options_.nice);
        const CompletionReport report = DescribeCompletion(outcome.completionCode, outcome.aborted, ErrorDetail);
        if (options_.json)
            std::cout << Summary(request, outcome).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        if (!report.text.empty()) {
            std::cerr << report.text << "\n";
            return kExitDamaged;
        }
        if (!options_.json) std::cerr << "wrote " << request.outputPath << "\n";
        return kExitOk;
    }

private:
    CLI::App* app_;
    ConvertOptions options_;
};

}  // namespace

std::unique_ptr<CliCommand> MakeConvertCommand(CLI::App& parent) {
    return std::make_unique<ConvertCommand>(parent);
}
