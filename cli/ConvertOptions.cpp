#include "cli/ConvertOptions.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include <filesystem>
#include <vector>

#include "cli/Playlist.h"
#include "job/ConversionSettings.h"
#include "job/TextFields.h"

namespace {

// The four margins in the order --trim takes them, and the two sizes of --size.
constexpr std::string_view kTrimSettings[] = {"trimLeft", "trimTop", "trimRight", "trimBottom"};
constexpr std::string_view kSizeSettings[] = {"width", "height"};

std::string RangeText(SettingRange range) { return fmt::format("{}..{}", range.lowest, range.highest); }

// The row's help with what the model knows: the range (and the dialog's, where the command
// line's is wider), the choices, the default.
std::string Help(const Setting& setting) {
    const SettingRange range = RangeFor(setting, SettingSource::CommandLine);
    std::string help(setting.help);
    if (setting.kind == SettingKind::Number) help += ": " + RangeText(range);
    if (setting.kind == SettingKind::Text) help += fmt::format(", {} bytes of Shift-JIS at most", range.highest);
    if (setting.commandLineRange) {
        const SettingRange dialog = RangeFor(setting, SettingSource::Dialog);
        help += setting.kind == SettingKind::Text ? fmt::format(" (the dialog takes {})", dialog.highest)
                                                  : fmt::format(" (the dialog takes {})", RangeText(dialog));
    }
    if (setting.kind == SettingKind::Choice) {
        std::vector<std::string_view> names;
        for (const SettingChoice& choice : setting.choices) names.push_back(choice.name);
        help += fmt::format(": {}", fmt::join(names, " | "));
    }
    if (const std::string fallback = DefaultText(setting); !fallback.empty() && setting.kind != SettingKind::Flag)
        help += ", default " + fallback;
    return help;
}

// `text` cut at every `separator` into exactly `count` pieces; none otherwise.
std::optional<std::vector<std::string_view>> Split(std::string_view text, char separator, size_t count) {
    std::vector<std::string_view> pieces = SplitFields(text, separator);
    if (pieces.size() != count) return std::nullopt;
    return pieces;
}

// Stores a value given as `where`, whose name starts the message of a fault.
std::optional<std::string> Store(std::string_view setting, std::string_view value, std::string_view where,
                                 ConversionRequest& request) {
    const std::optional<std::string> fault = StoreSetting(SettingNamed(setting), value, request, SettingSource::CommandLine);
    if (!fault) return std::nullopt;
    return fmt::format("{}: {}", where, *fault);
}

// Several settings from one option's pieces, in order.
std::optional<std::string> StoreEach(std::span<const std::string_view> settings, const std::vector<std::string_view>& pieces,
                                     std::string_view where, ConversionRequest& request) {
    for (size_t at = 0; at < settings.size(); ++at)
        if (auto fault = Store(settings[at], pieces[at], where, request)) return fault;
    return std::nullopt;
}

// The bytes of a size given as a count of MiB ("4M") or of bytes, in decimal; none when it is
// neither.
std::optional<std::string> FitBytesText(std::string_view text) {
    const bool mebibytes = !text.empty() && (text.back() == 'M' || text.back() == 'm');
    if (mebibytes) text.remove_suffix(1);
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::to_string(std::stoll(std::string(text)) << (mebibytes ? 20 : 0));
}

}  // namespace

ConvertOptions::ConvertOptions(CLI::App& command, bool writesOutput) : writesOutput(writesOutput) {
    if (writesOutput) {
        command.add_option("movie", operands,
                           fmt::format("MOVIE OUTPUT: {}; {}. Or MOVIE... with -o: several movies behind a menu",
                                       Help(SettingNamed("moviePath")), Help(SettingNamed("outputPath"))));
        command.add_option("-o,--output", output, "The cartridge image, when the operands are all movies");
        command.add_option("--title", titles, "A movie's title on the menu, in the movies' order (default: its file name)");
        command.add_option("--playlist", playlist,
                           "A file of movies for the menu, one a line: PATH, then optionally a tab, the title, a tab "
                           "and the thumbnail's time (default 10 % into the movie); # starts a comment line");
    } else {
        command.add_option("movie", movie, Help(SettingNamed("moviePath")))->required();
    }
    for (const Setting& setting : ConversionSettings()) {
        if (setting.option.empty()) continue;
        if (setting.kind == SettingKind::Flag) {
            command.add_flag_callback(fmt::format("--{}", setting.option), [this, name = setting.name] { given[name] = "1"; },
                                      Help(setting));
            continue;
        }
        command.add_option(fmt::format("--{}", setting.option), given[setting.name], Help(setting));
    }
    const Setting& margin = SettingNamed("trimLeft");
    command.add_option("--trim", trims,
                       fmt::format("Manual picture: margins L,T,R,B in source pixels, {} each; T cuts the top of the "
                                   "picture as it is shown, B its bottom",
                                   RangeText(RangeFor(margin, SettingSource::CommandLine))));
    command.add_option("--size", size,
                       fmt::format("Manual picture: WxH, multiples of 4 with W in {} and H in {}, or auto",
                                   RangeText(RangeFor(SettingNamed("width"), SettingSource::CommandLine)),
                                   RangeText(RangeFor(SettingNamed("height"), SettingSource::CommandLine))));
    command.add_option("--fit", fit,
                       "Choose the bitrate so that the whole image is at most SIZE and fills at least 95 % of it "
                       "(up to 500 KB/s): 4M, 8M, 16M, 32M (MiB) or bytes, at most 32M");
}

bool ConvertOptions::Given(std::string_view setting) const {
    const auto found = given.find(setting);
    return found != given.end() && found->second.has_value();
}

std::optional<std::string> ConvertOptions::Operands(std::vector<MenuChoice>& movies, std::string& outputPath) const {
    if (!writesOutput) {
        movies = {{movie, "", std::nullopt}};
        return std::nullopt;
    }
    movies.clear();
    outputPath = output;
    std::vector<std::string> paths = operands;
    if (output.empty()) {
        if (paths.size() != 2 || playlist) return std::string("convert takes MOVIE OUTPUT, or MOVIE... -o OUTPUT");
        outputPath = paths.back();
        paths.pop_back();
    }
    for (const std::string& path : paths) movies.push_back({path, "", std::nullopt});
    if (playlist)
        if (auto fault = ReadPlaylist(*playlist, movies)) return fmt::format("--playlist: {}", *fault);
    if (movies.empty()) return std::string("convert needs a movie");
    if (titles.size() > movies.size()) return fmt::format("--title given {} times for {} movies", titles.size(), movies.size());
    for (size_t at = 0; at < titles.size(); ++at) movies[at].title = titles[at];
    return std::nullopt;
}

std::optional<std::string> ConvertOptions::MenuChoices(std::vector<MenuChoice>& choices) const {
    std::string outputPath;
    if (auto fault = Operands(choices, outputPath)) return fault;
    if (choices.size() < 2) {
        choices.clear();
        return std::nullopt;
    }
    return CheckMenuChoices(choices, outputPath, SettingSource::CommandLine);
}

std::optional<std::string> ConvertOptions::BuildRequest(ConversionRequest& request) const {
    std::vector<MenuChoice> movies;
    std::string outputPath;
    if (auto fault = Operands(movies, outputPath)) return fault;
    if (auto fault = Store("moviePath", movies.front().moviePath, "movie", request)) return fault;
    if (!outputPath.empty())
        if (auto fault = Store("outputPath", std::filesystem::absolute(outputPath).string(), "output", request)) return fault;

    const bool manualGiven = Given("trimMode") || trims || size;
    request.pictureMode = manualGiven ? kManualPicture : 0;
    if (Given("pictureMode"))
        if (auto fault = Store("pictureMode", *given.at("pictureMode"), "--picture", request)) return fault;
    if (manualGiven && request.pictureMode != kManualPicture)
        return "--trim-mode, --trim and --size go with --picture manual";
    ApplyPresetValues(request);
    // Margins without a trimming mode are meant to be cut: manual trimming only.
    if (trims) request.trimMode = 3;

    for (const Setting& setting : ConversionSettings()) {
        if (setting.option.empty() || setting.name == "pictureMode" || !Given(setting.name)) continue;
        if (auto fault = Store(setting.name, *given.at(setting.name), fmt::format("--{}", setting.option), request))
            return fault;
    }
    if (trims) {
        const auto pieces = Split(*trims, ',', std::size(kTrimSettings));
        if (!pieces) return fmt::format("--trim takes L,T,R,B, not \"{}\"", *trims);
        if (auto fault = StoreEach(kTrimSettings, *pieces, "--trim", request)) return fault;
    }
    if (size == "auto") {
        request.autoSize = 1;
    } else if (size) {
        const auto pieces = Split(*size, 'x', std::size(kSizeSettings));
        if (!pieces) return fmt::format("--size takes WxH or auto, not \"{}\"", *size);
        if (auto fault = StoreEach(kSizeSettings, *pieces, "--size", request)) return fault;
        request.autoSize = 0;
    }
    if (fit) {
        const std::optional<std::string> bytes = FitBytesText(*fit);
        if (!bytes) return fmt::format("--fit takes 4M, 8M, 16M, 32M or a byte count, not \"{}\"", *fit);
        if (auto fault = Store("fitBytes", *bytes, "--fit", request)) return fault;
    }
    ApplyTrimmingRule(request);
    if (auto fault = CheckManualSize(request)) return fmt::format("--size: {}", *fault);
    if (auto fault = CheckMovieSpan(request)) return fmt::format("--end: {}", *fault);
    return std::nullopt;
}
