// kavro-cli inspect IMAGE: what a cartridge image holds, and every check the player relies on.
#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/CliCommand.h"
#include "format/Cartridge.h"
#include "format/PlayerOptions.h"
#include "job/CartridgeHeader.h"
#include "job/ImageFile.h"
#include "job/ImageSummary.h"
#include "video/MenuCatalogueReader.h"
#include "video/MovieStreamReader.h"

namespace {

using cartridge::kMaxImageBytes;

// The options block behind the header, as the player reads it.
struct OptionsCheck {
    bool known = false;     // a block this player understands; without one it plays nothing
    bool controls = false;  // pause, seek and resume, with seek points
    uint32_t seekSpacingRefreshes = 0;
    bool sram = false;  // the image declares battery-backed SRAM
    std::string error;
};

OptionsCheck CheckOptions(std::span<const uint8_t> image) {
    OptionsCheck check;
    if (image.size() < player_options::kOffset + sizeof(player_options::PlayerOptions)) {
        check.error = "the image is too short to hold the options block behind the cartridge header";
        return check;
    }
    const player_options::PlayerOptions options = player_options::Get(image.data());
    check.known = player_options::Known(options) || player_options::IsMenu(options);
    check.controls = player_options::HasControls(options);
    check.seekSpacingRefreshes = options.seekSpacingRefreshes;
    check.sram = player_options::DeclaresSram(options);
    if (!check.known)
        check.error = fmt::format("the options block behind the cartridge header (offset 0x{:X}) is not one this "
                                  "player knows, so it would play nothing",
                                  player_options::kOffset);
    return check;
}

struct Inspection {
    std::string path;
    ImageSummary image;
    CartridgeHeaderCheck header;
    OptionsCheck options;
    std::string sizeError;

    bool Damaged() const {
        return !header.error.empty() || !options.error.empty() || !image.stream.ok || !sizeError.empty() ||
               !image.menu.error.empty();
    }
};

nlohmann::json MenuJson(const MenuCatalogueCheck& menu) {
    nlohmann::json movies = nlohmann::json::array();
    for (size_t i = 0; i < menu.entries.size(); ++i) {
        const menu_catalogue::Entry& entry = menu.entries[i];
        const bool walked = i < menu.streams.size();
        movies.push_back({{"title", TitleOf(entry)},
                          {"streamOffset", entry.streamOffset},
                          {"streamBytes", entry.streamBytes},
                          {"page", entry.page},
                          {"thumbnailMs", entry.thumbnailMs},
                          {"frameCount", walked ? menu.streams[i].info.frameCount : 0},
                          {"movieSeconds", walked ? SummarizeStream(menu.streams[i].info).movieSeconds : 0.0},
                          {"streamOk", walked && menu.streams[i].ok}});
    }
    return {{"ok", menu.ok}, {"pages", menu.header.pageCount}, {"firstPageOffset", menu.header.firstPageOffset},
            {"movies", movies}};
}

void PrintMenu(const MenuCatalogueCheck& menu) {
    std::cout << fmt::format("menu            {} movies on {} pages (first page at {})\n", menu.entries.size(),
                             menu.header.pageCount, menu.header.firstPageOffset);
    for (size_t i = 0; i < menu.entries.size(); ++i) {
        const menu_catalogue::Entry& entry = menu.entries[i];
        const std::string figures = i < menu.streams.size()
                                        ? fmt::format("{} frames, {:.3f} s", menu.streams[i].info.frameCount,
                                                      SummarizeStream(menu.streams[i].info).movieSeconds)
                                        : "not walked";
        std::cout << fmt::format("  movie {:<2}      \"{}\": {} bytes at {}, page {}, {}\n", i + 1, TitleOf(entry),
                                 entry.streamBytes, entry.streamOffset, entry.page + 1, figures);
    }
}

nlohmann::json StatsJson(const RecordSizeStats& stats) {
    return {{"count", stats.count},         {"minBytes", stats.minBytes}, {"medianBytes", stats.medianBytes},
            {"maxBytes", stats.maxBytes}, {"totalBytes", stats.totalBytes}};
}

nlohmann::json InspectionJson(const Inspection& in) {
    const MovieStreamInfo& info = in.image.stream.info;
    nlohmann::json errors = nlohmann::json::array();
    for (const std::string* error : {&in.sizeError, &in.header.error, &in.options.error, &in.image.stream.error,
                                     &in.image.menu.error})
        if (!error->empty()) errors.push_back(*error);
    nlohmann::json report = {
        {"image", in.path},
        {"imageBytes", in.image.imageBytes},
        {"ok", !in.Damaged()},
        {"errors", errors},
        {"streamOffset", in.image.location.offset},
        {"streamOffsetFrom", in.image.location.source},
        {"header",
         {{"title", in.header.title},
          {"entryIsBranch", in.header.entryIsBranch},
          {"logoOk", in.header.logoOk},
          {"fixedByteOk", in.header.fixedByteOk},
          {"complementOk", in.header.complementOk}}},
        {"options",
         {{"known", in.options.known},
          {"controls", in.options.controls},
          {"seekSpacingRefreshes", in.options.seekSpacingRefreshes},
          {"sram", in.options.sram}}},
        {"frameCount", info.frameCount},
        {"frameStep", info.frameStep},
        {"framesPerSecond", in.image.figures.framesPerSecond},
        {"width", info.width},
        {"height", info.height},
        {"records", {{"all", StatsJson(in.image.figures.all)},
                     {"intra", StatsJson(in.image.figures.intra)},
                     {"inter", StatsJson(in.image.figures.inter)}}},
        {"audio", {{"present", info.hasAudioBlock},
                   {"blockCount", info.audioBlockCount},
                   {"seconds", in.image.figures.audioSeconds}}},
        {"movieSeconds", in.image.figures.movieSeconds},
    };
    if (in.image.menu.isMenu) report["menu"] = MenuJson(in.image.menu);
    return report;
}

std::string StatsText(const RecordSizeStats& stats) {
    if (stats.count == 0) return "none";
    return fmt::format("{}: min {}, median {}, max {}, total {} bytes", stats.count, stats.minBytes,
                       stats.medianBytes, stats.maxBytes, stats.totalBytes);
}

std::string OptionsText(const OptionsCheck& options) {
    if (!options.known) return "UNKNOWN";
    if (!options.controls) return "controls off (any key restarts)";
    return fmt::format("controls on (pause, seek, resume), seek points every {} refreshes, battery-backed SRAM {}",
                       options.seekSpacingRefreshes, options.sram ? "declared" : "NOT declared");
}

void PrintInspection(const Inspection& in) {
    const MovieStreamInfo& info = in.image.stream.info;
    const CartridgeHeaderCheck& h = in.header;
    auto okText = [](bool ok) { return ok ? "ok" : "WRONG"; };
    std::cout << fmt::format("image           {} ({} bytes)\n", in.path, in.image.imageBytes)
              << fmt::format("stream offset   {} (cartridge address 0x{:08X}), from {}\n", in.image.location.offset,
                             cartridge::kBaseAddress + in.image.location.offset, in.image.location.source)
              << fmt::format("header          title \"{}\", entry {}, logo {}, 0x96 {}, complement {}\n", h.title,
                             okText(h.entryIsBranch), okText(h.logoOk), okText(h.fixedByteOk), okText(h.complementOk))
              << fmt::format("options         {}\n", OptionsText(in.options))
              << fmt::format("frames          {}, frame step {} ({:.3f} fps), {} x {}\n", info.frameCount,
                             info.frameStep, in.image.figures.framesPerSecond, info.width, info.height)
              << fmt::format("records         {}\n", StatsText(in.image.figures.all))
              << fmt::format("  intra         {}\n", StatsText(in.image.figures.intra))
              << fmt::format("  inter         {}\n", StatsText(in.image.figures.inter));
    if (info.hasAudioBlock)
        std::cout << fmt::format("audio           {} blocks, {:.3f} s\n", info.audioBlockCount, in.image.figures.audioSeconds);
    else
        std::cout << "audio           none\n";
    std::cout << fmt::format("movie           {:.3f} s\n", in.image.figures.movieSeconds);
    if (in.image.menu.isMenu) PrintMenu(in.image.menu);
    for (const std::string* error : {&in.sizeError, &in.header.error, &in.options.error, &in.image.stream.error,
                                     &in.image.menu.error})
        if (!error->empty()) std::cout << "DAMAGED         " << *error << "\n";
    if (!in.Damaged()) std::cout << "checks          all passed\n";
}

class InspectCommand final : public CliCommand {
public:
    explicit InspectCommand(CLI::App& parent)
        : app_(parent.add_subcommand("inspect", "Show what a cartridge image holds and check it as the player reads it")) {
        app_->add_option("image", path_, "The cartridge image (.gba)")->required();
        app_->add_option("--stream-offset", streamOffset_,
                         "Where the movie stream begins, in bytes (default: behind this build's player)");
        app_->add_flag("--json", json_, "Print the report as JSON");
    }

    bool Chosen() const override { return app_->parsed(); }

    int Run() override {
        ImageFile file = ReadImageFile(path_);
        if (!file.error.empty()) return Fail(file.error);
        Inspection in;
        in.path = path_;
        in.image = SummarizeImage(file.bytes, streamOffset_);
        if (!in.image.location.error.empty()) return Fail(in.image.location.error);
        if (file.bytes.size() > kMaxImageBytes)
            in.sizeError = fmt::format("the image's {} bytes exceed the {}-byte cartridge space", file.bytes.size(),
                                       kMaxImageBytes);
        in.header = CheckCartridgeHeader(file.bytes);
        in.options = CheckOptions(file.bytes);
        if (json_)
            std::cout << InspectionJson(in).dump(2) << "\n";
        else
            PrintInspection(in);
        if (!in.Damaged()) return kExitOk;
        if (!json_) std::cerr << "kavro-cli inspect: " << path_ << " is damaged\n";
        return kExitDamaged;
    }

private:
    int Fail(const std::string& error) const {
        if (json_)
            std::cout << nlohmann::json{{"image", path_}, {"ok", false}, {"errors", {error}}}.dump(2) << "\n";
        std::cerr << "kavro-cli inspect: " << error << "\n";
        return kExitFailed;
    }

    CLI::App* app_;
    std::string path_;
    std::optional<size_t> streamOffset_;
    bool json_ = false;
};

}  // namespace

std::unique_ptr<CliCommand> MakeInspectCommand(CLI::App& parent) {
    return std::make_unique<InspectCommand>(parent);
}
