#include "job/ConversionSettings.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <fmt/format.h>

#include "format/Cartridge.h"
#include "job/DialogInteger.h"
#include "job/MovieTime.h"
#include "platform/Cp932.h"

namespace {

using enum SettingKind;

constexpr SettingChoice kPictureChoices[] = {
    {"no-resize", "No resize"},
    {"keep-aspect", "Resize but keep aspect ratio"},
    {"stretch", "Resize and ignore aspect ratio"},
    {"manual", "Manual setting"},
};

constexpr SettingChoice kTrimmingChoices[] = {
    {"0", "トリミングしない"},
    {"1", "GBAの縦横比に合わせて自動トリミングする"},
    {"2", "手動トリミングの後、さらに自動トリミングする"},
    {"3", "手動トリミングのみ"},
};

// Index 0 lets the plan choose; 1 keeps every frame; 2..8 keep a fixed share (frameRateMode 1..7).
constexpr SettingChoice kFrameRateChoices[] = {
    {"auto", "自動"},
    {"unchanged", "変更しない"},
    {"4/5", "4/5 (30fps → 24fps)"},
    {"2/3", "2/3 (30fps → 20fps)"},
    {"1/2", "1/2 (30fps → 15fps)"},
    {"2/5", "2/5 (30fps → 12fps)"},
    {"1/3", "1/3 (30fps → 10fps)"},
    {"1/4", "1/4 (30fps → 7.5fps)"},
    {"1/5", "1/5 (30fps → 6fps)"},
};

constexpr SettingChoice kPreFilterChoices[] = {
    {"0", "何もしない（旧バージョン互換）"},
    {"1", "15bit切り落としのみ（画質悪・高圧縮）"},
    {"2", "2段階ディザリングで15bit化"},
    {"3", "4段階ディザリングで15bit化"},
};

// In the order of enum Screen.
constexpr SettingChoice kScreenChoices[] = {
    {"standard", "標準"},
    {"gba", "GBA (反射型液晶)"},
    {"sp", "GBA SP (フロントライト)"},
};

// In the order of enum AdpcmCoder.
constexpr SettingChoice kSoundChoices[] = {
    {"standard", "標準"},
    {"high", "高音質"},
};

// The cartridge sizes the dialog offers, in bytes: the sizes of common cartridges.
constexpr SettingChoice kCartridgeSizes[] = {
    {"0", "指定しない"},
    {"4194304", "4 MB"},
    {"8388608", "8 MB"},
    {"16777216", "16 MB"},
    {"33554432", "32 MB"},
};

constexpr SettingRange kMarginPixels{0, 1000};
constexpr SettingRange kAdjustment{-100, 100};
// "1:02:03.250" and then some blanks.
constexpr SettingRange kTimeBytes{0, 16};
constexpr SettingRange kPathBytes{0, 511};
// A path as long as the system takes one (PATH_MAX less its terminator).
constexpr SettingRange kCommandLinePathBytes{0, 4095};

// In the order of the dialog's StoreControls.
constexpr Setting kSettings[] = {
    // The encoder refuses 0, which the dialog's range admits: the run then ends with code 3.
    {.name = "bitrate", .kind = Number, .number = &ConversionRequest::bitrate, .range = {0, 500},
     .commandLineRange = SettingRange{1, 100000}, .option = "bitrate", .help = "Kilobytes of movie stream per second"},
    // kavro-cli spells it --fit, which also takes sizes in MiB.
    {.name = "fitBytes", .kind = Number, .number = &ConversionRequest::fitBytes, .range = {0, int32_t(cartridge::kMaxImageBytes)},
     .choices = kCartridgeSizes},
    {.name = "startTime", .kind = Text, .text = &ConversionRequest::startTime, .range = kTimeBytes,
     .textRule = TextRule::Time, .option = "start",
     .help = "Convert from this time of the movie on: seconds (90.5) or h:mm:ss[.fff]"},
    {.name = "endTime", .kind = Text, .text = &ConversionRequest::endTime, .range = kTimeBytes,
     .textRule = TextRule::Time, .option = "end", .help = "Convert up to this time of the movie: seconds or h:mm:ss[.fff]"},
    {.name = "width", .kind = Number, .number = &ConversionRequest::width, .range = {4, 240}},
    {.name = "height", .kind = Number, .number = &ConversionRequest::height, .range = {4, 160}},
    {.name = "outputPath", .kind = Text, .text = &ConversionRequest::outputPath, .range = kPathBytes,
     .commandLineRange = kCommandLinePathBytes, .help = "The cartridge image to write (.gba)"},
    {.name = "moviePath", .kind = Text, .text = &ConversionRequest::moviePath, .range = kPathBytes,
     .commandLineRange = kCommandLinePathBytes, .help = "The movie to convert"},
    {.name = "trimBottom", .kind = Number, .number = &ConversionRequest::trimBottom, .range = kMarginPixels},
    {.name = "trimLeft", .kind = Number, .number = &ConversionRequest::trimLeft, .range = kMarginPixels},
    {.name = "trimTop", .kind = Number, .number = &ConversionRequest::trimTop, .range = kMarginPixels},
    {.name = "trimRight", .kind = Number, .number = &ConversionRequest::trimRight, .range = kMarginPixels},
    {.name = "frameRateChoice", .kind = Choice, .number = &ConversionRequest::frameRateChoice,
     .choices = kFrameRateChoices, .option = "frame-rate",
     .help = "Frame rate, with every --picture (the dialog offers it in manual only)"},
    {.name = "pictureMode", .kind = Choice, .number = &ConversionRequest::pictureMode, .choices = kPictureChoices,
     .option = "picture", .help = "Picture preset; --trim-mode, --trim and --size make it manual"},
    {.name = "romName", .kind = Text, .text = &ConversionRequest::romName, .range = {0, 12},
     .textRule = TextRule::Title, .option = "rom-name",
     .help = "Title in the cartridge header (upper case; characters Shift-JIS has, no control characters)"},
    {.name = "autoSize", .kind = Flag, .number = &ConversionRequest::autoSize, .range = {0, 1}},
    {.name = "trimMode", .kind = Choice, .number = &ConversionRequest::trimMode, .choices = kTrimmingChoices,
     .option = "trim-mode", .help = "Manual picture: 0 none, 1 automatic, 2 manual then automatic, 3 manual only"},
    {.name = "preFilter", .kind = Choice, .number = &ConversionRequest::preFilter, .choices = kPreFilterChoices,
     .option = "prefilter",
     .help = "0 none, 1 cut to 15 bits, 2 2-level dither, 3 4-level dither, with every --picture (the dialog "
             "offers it in manual only)"},
    {.name = "screen", .kind = Choice, .number = &ConversionRequest::screen, .choices = kScreenChoices,
     .option = "screen",
     .help = "The screen the pictures are made for: standard as they are (backlit screens, emulators), gba the "
             "original unlit screen, sp the front-lit SP"},
    {.name = "brightness", .kind = Number, .number = &ConversionRequest::brightness, .range = kAdjustment,
     .option = "brightness", .help = "Brightness on top of the screen's: +100 doubles the light, -100 halves it"},
    {.name = "gamma", .kind = Number, .number = &ConversionRequest::gamma, .range = kAdjustment, .option = "gamma",
     .help = "Mid-tones: +100 halves the light's exponent (brighter), -100 doubles it"},
    {.name = "saturation", .kind = Number, .number = &ConversionRequest::saturation, .range = kAdjustment,
     .option = "saturation", .help = "Colour: -100 grey, +100 twice as far from grey"},
    {.name = "sound", .kind = Choice, .number = &ConversionRequest::sound, .choices = kSoundChoices, .option = "sound",
     .help = "Sound coder: standard exact, high searches ahead for a closer sound (as many bytes, slower)"},
    {.name = "controls", .kind = Flag, .number = &ConversionRequest::controls, .range = {0, 1}, .option = "controls",
     .help = "Controls while playing: START or A pauses, right / left seek 10 s, R / L 60 s, SELECT goes back to "
             "the start, and the place is kept across power-off (battery-backed SRAM); without it any key restarts"},
};

struct Character {
    char32_t codePoint = 0;
    size_t bytes = 1;
    bool valid = false;  // false: a byte that starts no UTF-8 character
};

// The UTF-8 character at the start of a non-empty text.
Character FirstCharacter(std::string_view text) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1, true};
    const size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (length == 0 || length > text.size()) return {};
    char32_t codePoint = lead & (0x3F >> (length - 1));
    for (size_t at = 1; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80) return {};
        codePoint = codePoint << 6 | (byte(at) & 0x3F);
    }
    return {codePoint, length, true};
}

void AppendUtf8(std::string& text, char32_t codePoint) {
    if (codePoint < 0x80) {
        text += char(codePoint);
    } else if (codePoint < 0x800) {
        text += char(0xC0 | codePoint >> 6);
        text += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        text += char(0xE0 | codePoint >> 12);
        text += char(0x80 | (codePoint >> 6 & 0x3F));
        text += char(0x80 | (codePoint & 0x3F));
    } else {
        text += char(0xF0 | codePoint >> 18);
        text += char(0x80 | (codePoint >> 12 & 0x3F));
        text += char(0x80 | (codePoint >> 6 & 0x3F));
        text += char(0x80 | (codePoint & 0x3F));
    }
}

// The lower-case letters of code page 932 and their distance to their capitals: Latin (also
// full width), Greek, Cyrillic and the small Roman numerals.
char32_t UpperCase(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= U'ａ' && c <= U'ｚ') || (c >= U'α' && c <= U'ω' && c != U'ς') ||
        (c >= U'а' && c <= U'я'))
        return c - 0x20;
    if (c == U'ё') return U'Ё';
    if (c >= U'ⅰ' && c <= U'ⅹ') return c - 0x10;
    return c;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// The message for the first character a title cannot hold; none when it holds them all.
std::optional<std::string> TitleCharacterFault(std::string_view text) {
    while (!text.empty()) {
        const Character c = FirstCharacter(text);
        if (!c.valid)
            return fmt::format("UTF-8 として読めないバイト (0x{:02X}) があります。", static_cast<unsigned char>(text[0]));
        const std::string_view bytes = text.substr(0, c.bytes);
        if (IsControl(c.codePoint)) return fmt::format("制御文字 (U+{:04X}) は使えません。", uint32_t(c.codePoint));
        if (!Utf8ToCp932(bytes))
            return fmt::format("「{}」(U+{:04X}) はシフトJISにない文字のため使えません。", bytes, uint32_t(c.codePoint));
        text.remove_prefix(c.bytes);
    }
    return std::nullopt;
}

std::optional<std::string> StoreNumber(const Setting& setting, std::string_view given, ConversionRequest& request,
                                       SettingRange range) {
    const std::optional<int32_t> value = ParseDialogInteger(given);
    if (!value) return "整数を入力してください。";
    if (*value < range.lowest || *value > range.highest)
        return fmt::format("{} から {} までの整数を入力してください。", range.lowest, range.highest);
    request.*setting.number = *value;
    return std::nullopt;
}

std::optional<std::string> StoreText(const Setting& setting, std::string_view given, ConversionRequest& request,
                                     SettingRange range) {
    std::string text(given);
    if (setting.textRule == TextRule::Title) {
        text = UpperCaseTitle(text);
        if (auto fault = TitleCharacterFault(text)) return fault;
    }
    if (setting.textRule == TextRule::Time && !text.empty() && !ParseMovieTime(text))
        return fmt::format("「{}」は時刻として読めません。秒 (90.5) か 時:分:秒 (1:02:03.250) で入力してください。", text);
    if (Cp932ByteCount(text) > size_t(range.highest)) return fmt::format("{} 文字以内で入力してください。", range.highest);
    request.*setting.text = std::move(text);
    return std::nullopt;
}

std::string ChoiceNames(const Setting& setting) {
    std::string names;
    for (const SettingChoice& choice : setting.choices) names += (names.empty() ? "" : ", ") + std::string(choice.name);
    return names;
}

std::optional<std::string> StoreChoice(const Setting& setting, std::string_view given, ConversionRequest& request) {
    const auto chosen = std::find_if(setting.choices.begin(), setting.choices.end(),
                                     [given](const SettingChoice& choice) { return choice.name == given; });
    if (chosen == setting.choices.end())
        return fmt::format("「{}」は選べません。{} のどれかを指定してください。", given, ChoiceNames(setting));
    request.*setting.number = int32_t(chosen - setting.choices.begin());
    return std::nullopt;
}

}  // namespace

std::span<const Setting> ConversionSettings() { return kSettings; }

const Setting& SettingNamed(std::string_view name) {
    for (const Setting& setting : kSettings)
        if (setting.name == name) return setting;
    std::fprintf(stderr, "no setting is named %.*s\n", int(name.size()), name.data());
    std::abort();
}

SettingRange RangeFor(const Setting& setting, SettingSource source) {
    if (setting.kind == Choice) return {0, int32_t(setting.choices.size()) - 1};
    return source == SettingSource::CommandLine && setting.commandLineRange ? *setting.commandLineRange : setting.range;
}

std::string DefaultText(const Setting& setting) {
    const ConversionRequest defaults;
    if (setting.kind == Text) return defaults.*setting.text;
    const int32_t value = defaults.*setting.number;
    return setting.kind == Choice ? std::string(setting.choices[size_t(value)].name) : std::to_string(value);
}

std::optional<std::string> StoreSetting(const Setting& setting, std::string_view given, ConversionRequest& request,
                                        SettingSource source) {
    switch (setting.kind) {
    case Number: return StoreNumber(setting, given, request, RangeFor(setting, source));
    case Text: return StoreText(setting, given, request, RangeFor(setting, source));
    case Choice: return StoreChoice(setting, given, request);
    case Flag: return StoreNumber(setting, given, request, setting.range);
    }
    return std::nullopt;
}

std::string UpperCaseTitle(std::string_view utf8) {
    std::string upper;
    while (!utf8.empty()) {
        const Character c = FirstCharacter(utf8);
        if (c.valid) AppendUtf8(upper, UpperCase(c.codePoint));
        else upper += utf8.front();
        utf8.remove_prefix(c.bytes);
    }
    return upper;
}

bool TrimsAutomatically(int32_t trimMode) { return trimMode == 1 || trimMode == 2; }

bool UsesManualTrims(int32_t trimMode) { return trimMode == 2 || trimMode == 3; }

bool ApplyPresetValues(ConversionRequest& request) {
    switch (request.pictureMode) {
    case 0:  // "No resize"
        request.trimMode = 0;
        request.autoSize = 1;
        break;
    case 1:  // "Resize but keep aspect ratio"
        request.trimMode = 1;
        request.autoSize = 1;
        break;
    case 2:  // "Resize and ignore aspect ratio"
        request.trimMode = 0;
        request.trimLeft = request.trimTop = request.trimRight = request.trimBottom = 0;
        request.autoSize = 0;
        request.width = 240;
        request.height = 160;
        break;
    default: return false;
    }
    request.frameRateChoice = 0;  // "自動"
    request.preFilter = 3;        // "4段階ディザリングで15bit化"
    return true;
}

bool ApplyTrimmingRule(ConversionRequest& request) {
    if (!TrimsAutomatically(request.trimMode)) return false;
    request.autoSize = 1;
    return true;
}

std::optional<std::string> CheckManualSize(const ConversionRequest& request) {
    const auto multipleOf4 = [](int32_t pixels) { return (pixels & 3) == 0; };
    if (request.pictureMode != kManualPicture || (multipleOf4(request.width) && multipleOf4(request.height)))
        return std::nullopt;
    return "リサイズ後のピクセルサイズは４の倍数である必要があります";
}

MovieSpan MovieSpanOf(const ConversionRequest& request) {
    MovieSpan span;
    span.startUs = ParseMovieTime(request.startTime).value_or(0);
    if (!request.endTime.empty()) span.endUs = ParseMovieTime(request.endTime);
    return span;
}

std::optional<std::string> CheckMovieSpan(const ConversionRequest& request) {
    const MovieSpan span = MovieSpanOf(request);
    if (!span.endUs || *span.endUs > span.startUs) return std::nullopt;
    return fmt::format("終了 ({}) は開始 ({}) より後の時刻にしてください。", FormatMovieTime(*span.endUs),
                       FormatMovieTime(span.startUs));
}

std::optional<std::string> CheckBeforeRun(const ConversionRequest& request) {
    if (auto fault = CheckManualSize(request)) return fault;
    return CheckMovieSpan(request);
}
