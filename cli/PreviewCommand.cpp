// kavro-cli preview IMAGE: what the handheld shows and plays, from the mGBA core.
#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/CliCommand.h"
#include "job/ImageFile.h"
#include "cli/PngWriter.h"
#include "cli/PreviewRun.h"
#include "cli/ProgressPrinter.h"
#include "job/ImageSummary.h"
#include "cli/WavWriter.h"
#include "format/Handheld.h"
#include "job/ConversionSettings.h"
#include "preview/HandheldCore.h"
#include "video/MenuCatalogueReader.h"
#include "video/MovieStreamReader.h"

namespace {

namespace fs = std::filesystem;

constexpr double kUnknownLengthSeconds = 10;  // when the stream does not read cleanly
constexpr double kMaxDefaultSeconds = 600;    // a damaged or endless stream runs no longer by default
constexpr double kMaxSeconds = 3600;
// The sound of the longest run stays far below the 4 GiB that a WAV file's sizes can count.
static_assert(kMaxSeconds * kCoreSoundRateHz * 4 < 4294967296.0 / 2);
constexpr double kStartSeconds = 0.5;         // start-up before the first pass, with margin
constexpr int kSheetColumns = 4;
constexpr uint32_t kQuietRefreshes = 600;  // shorter runs print no progress

constexpr double kMenuSeconds = 1;  // a menu image shows its menu until a key is pressed

// One pass of the movie (sound included) when the stream reads cleanly; a menu image's menu.
double DefaultSeconds(std::span<const uint8_t> image) {
    if (ReadMenuCatalogue(image).isMenu) return kMenuSeconds;
    const ImageSummary summary = SummarizeImage(image);
    if (!summary.location.error.empty() || !summary.stream.ok) return kUnknownLengthSeconds;
    const StreamSummary& figures = summary.figures;
    return std::min(std::max(figures.movieSeconds, figures.audioSeconds) + kStartSeconds, kMaxDefaultSeconds);
}

struct PreviewFiles {
    fs::path sheet;
    fs::path sound;
    fs::path frames;  // empty unless every frame is kept
};

class PreviewCommand final : public CliCommand {
public:
    explicit PreviewCommand(CLI::App& parent)
        : app_(parent.add_subcommand("preview", "Run an image on the mGBA core: contact sheet, frames and sound")) {
        app_->add_option("image", path_, "The cartridge image (.gba)")->required();
        app_->add_option("--seconds", seconds_,
                         "How long to run, up to an hour (default: one pass of the movie, at most ten minutes)")
            ->check(CLI::Range(0.01, kMaxSeconds));
        app_->add_option("--out", out_, "Folder for the files (default: the current folder)");
        app_->add_flag("--every-frame", everyFrame_, "Also write every newly shown frame as a PNG file");
        app_->add_option("--screen", screen_,
                         "Show the contact sheet and frames as this screen would: standard as the core draws them, gba "
                         "the original unlit screen, sp the front-lit SP")
            ->default_str(screen_);
        app_->add_flag("--json", json_, "Print the summary as JSON");
        app_->add_flag("--force", force_, "Replace the contact sheet, sound and frame files of an earlier preview");
    }

    bool Chosen() const override { return app_->parsed(); }

    int Run() override {
        // The range check lets "nan" through: it compares false with both ends.
        if (seconds_ && std::isnan(*seconds_)) {
            std::cerr << "kavro-cli preview: --seconds takes a number of seconds\n";
            return kExitUsage;
        }
        // The conversion's own choices, so that both commands take the same names.
        ConversionRequest screen;
        if (auto fault = StoreSetting(SettingNamed("screen"), screen_, screen, SettingSource::CommandLine)) {
            std::cerr << "kavro-cli preview: --screen: " << *fault << "\n";
            return kExitUsage;
        }
        const PreviewFiles files = Files();
        if (const std::string existing = ExistingFile(files); !force_ && !existing.empty()) {
            std::cerr << "kavro-cli preview: " << existing << " exists; --force replaces it\n";
            return kExitUsage;
        }
        const ImageFile file = ReadImageFile(path_);
        if (!file.error.empty()) return Fail(file.error);
        const bool menu = ReadMenuCatalogue(file.bytes).isMenu;
        const fs::path menuScreen = fs::path(out_) / (fs::path(path_).stem().string() + "-menu.png");
        if (std::error_code exists; menu && !force_ && fs::exists(menuScreen, exists)) {
            std::cerr << "kavro-cli preview: " << menuScreen.string() << " exists; --force replaces it\n";
            return kExitUsage;
        }
        HandheldCoreLoad load = HandheldCore::Load(file.bytes);
        if (!load.core) return Fail(load.error);
        const double seconds = seconds_.value_or(DefaultSeconds(file.bytes));
        std::error_code error;
        fs::create_directories(files.frames.empty() ? fs::path(out_) : files.frames, error);
        if (error) return Fail(fmt::format("cannot create {}: {}", out_, error.message()));

        WavWriter wav;
        if (std::string failure = wav.Open(files.sound.string(), kCoreSoundRateHz); !failure.empty()) return Fail(failure);
        PreviewPlan plan;
        plan.refreshes = uint32_t(std::ceil(seconds * handheld::kRefreshHz));
        plan.framesFolder = files.frames;
        plan.sound = &wav;
        plan.screen = Screen(screen.screen);
        ProgressPrinter printer(isatty(STDERR_FILENO) != 0);
        if (plan.refreshes > kQuietRefreshes)
            plan.progress = [&](uint32_t done) { printer.Progress(int32_t(uint64_t(done) * 1000 / plan.refreshes)); };
        PreviewResult result = RunPreview(*load.core, plan);
        printer.Finish();
        if (std::string failure = wav.Close(); result.error.empty()) result.error = failure;
        if (result.error.empty()) result.error = WriteSheet(result, files.sheet);
        // Without a key pressed, the screen at the end of the run is the menu's first page.
        if (result.error.empty() && menu && !result.tiles.empty()) {
            const RgbPicture& last = result.tiles.back();
            result.error = WritePng(menuScreen.string(), last.width, last.height, last.rgb);
            if (result.error.empty() && !json_) std::cout << fmt::format("menu screen     {}\n", menuScreen.string());
        }
        if (!result.error.empty()) return Fail(result.error);
        Report(result, plan, files);
        if (!result.crashed) return kExitOk;
        std::cerr << "kavro-cli preview: the core stopped: the player crashed\n";
        return kExitDamaged;
    }

private:
    PreviewFiles Files() const {
        const std::string stem = fs::path(path_).stem().string();
        const fs::path folder(out_);
        return {folder / (stem + "-sheet.png"), folder / (stem + ".wav"),
                everyFrame_ ? folder / (stem + "-frames") : fs::path()};
    }

    // The first of the files a run would write that is there already; empty when none is.
    static std::string ExistingFile(const PreviewFiles& files) {
        std::error_code error;
        for (const fs::path& path : {files.sheet, files.sound})
            if (fs::exists(path, error)) return path.string();
        if (!files.frames.empty() && fs::exists(files.frames, error) && !fs::is_empty(files.frames, error))
            return files.frames.string();
        return {};
    }

    static std::string WriteSheet(const PreviewResult& result, const fs::path& path) {
        const RgbPicture sheet = ComposeContactSheet(result.tiles, kSheetColumns);
        if (sheet.rgb.empty()) return "no screen to put on the contact sheet";
        return WritePng(path.string(), sheet.width, sheet.height, sheet.rgb);
    }

    void Report(const PreviewResult& result, const PreviewPlan& plan, const PreviewFiles& files) const {
        const nlohmann::json summary = {
            {"image", path_},
            {"ok", !result.crashed},
            {"refreshes", plan.refreshes},
            {"seconds", plan.refreshes / handheld::kRefreshHz},
            {"screen", screen_},
            {"contactSheet", files.sheet.string()},
            {"contactSheetRefreshes", result.tileRefreshes},
            {"sound", files.sound.string()},
            {"soundSeconds", double(result.soundFrames) / kCoreSoundRateHz},
            {"soundPeak", result.soundPeak},
            {"soundRms", result.soundRms},
            {"framesFolder", files.frames.string()},
            {"framesWritten", result.framesWritten},
            {"framesShown", result.framesShown},
            {"passesStarted", result.passesStarted},
            {"lateFrames", result.lateFrames},
            {"crashed", result.crashed},
        };
        if (json_) {
            std::cout << summary.dump(2) << "\n";
            return;
        }
        std::cout << fmt::format("ran             {} refreshes ({:.2f} s)\n", plan.refreshes,
                                 plan.refreshes / handheld::kRefreshHz)
                  << fmt::format("contact sheet   {}\n", files.sheet.string())
                  << fmt::format("sound           {} ({:.2f} s, peak {}, rms {:.0f})\n", files.sound.string(),
                                 double(result.soundFrames) / kCoreSoundRateHz, result.soundPeak, result.soundRms)
                  << fmt::format("frames shown    {} in {} passes, {} late\n", result.framesShown,
                                 result.passesStarted, result.lateFrames);
        if (!files.frames.empty())
            std::cout << fmt::format("frame files     {} in {}\n", result.framesWritten, files.frames.string());
    }

    int Fail(const std::string& error) const {
        if (json_)
            std::cout << nlohmann::json{{"image", path_}, {"ok", false}, {"errors", {error}}}.dump(2) << "\n";
        std::cerr << "kavro-cli preview: " << error << "\n";
        return kExitFailed;
    }

    CLI::App* app_;
    std::string path_;
    std::optional<double> seconds_;
    std::string out_ = ".";
    std::string screen_ = "standard";
    bool everyFrame_ = false;
    bool json_ = false;
    bool force_ = false;
};

}  // namespace

std::unique_ptr<CliCommand> MakePreviewCommand(CLI::App& parent) {
    return std::make_unique<PreviewCommand>(parent);
}
