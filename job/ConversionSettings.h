#pragma once
// The settings of a conversion as users give them, in one place: for each field of the
// ConversionRequest its name, kind, range or choices and its help (the table kSettings in
// ConversionSettings.cpp); the picture presets and the rules between the picture settings; the
// validation with its messages. The dialog's LoadControls / StoreControls and kavro-cli's
// options are mappings onto this model, and MapRequest turns the request into the job's
// arguments.
//
// A new setting is a field with its default in ConversionRequest and one row in kSettings
// (its use in MapRequest when the job reads it). kavro-cli offers it as soon as the row names
// an option; the dialog shows it as soon as a control of its template names the setting.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "job/ConversionRequest.h"
#include "source/MovieFacts.h"

enum class SettingKind {
    Number,  // a whole number, given as text, within a range
    Text,    // a text of at most so many bytes in code page 932
    Choice,  // the index of one of the setting's choices
    Flag,    // 1 on, 0 off; the dialog's check box
};

enum class TextRule {
    Path,   // any text
    Title,  // the cartridge's title: upper case, only characters code page 932 holds, no control characters
    Time,   // a time in the movie (job/MovieTime.h), or nothing
};

// Who gives the value: kavro-cli takes a wider range where a row says so (and its --help).
enum class SettingSource { Dialog, CommandLine };

struct SettingChoice {
    std::string_view name;   // as kavro-cli takes it
    std::string_view label;  // as the dialog shows it: a list item, or a radio button's caption
};

struct SettingRange {
    int32_t lowest = 0;
    int32_t highest = 0;
};

struct Setting {
    std::string_view name;  // the field's name; controls of the dialog's template bind by it
    SettingKind kind = SettingKind::Number;
    int32_t ConversionRequest::*number = nullptr;    // Number, Choice, Flag
    std::string ConversionRequest::*text = nullptr;  // Text
    SettingRange range;                              // Number: its values; Text: 0 .. its bytes
    std::optional<SettingRange> commandLineRange;    // kavro-cli's wider range; none: the same
    TextRule textRule = TextRule::Path;
    // Choice: in index order. Number: the values the dialog's list offers, the name the value
    // in decimal (the command line takes any value of the range).
    std::span<const SettingChoice> choices;
    std::string_view option;  // kavro-cli's option, without "--"; empty: none, or one kavro-cli spells itself
    std::string_view help;    // kavro-cli's words for it; the range, choices and default are added
};

// Every setting, in the order the dialog stores them: the first that fails is the one reported.
std::span<const Setting> ConversionSettings();
// The setting of that name. A name without a row is a fault of the program: it stops.
const Setting& SettingNamed(std::string_view name);
// The values the setting takes from this source (for a text, 0 .. its bytes).
SettingRange RangeFor(const Setting& setting, SettingSource source);
// The setting's value in a request with the defaults, as kavro-cli's help shows it.
std::string DefaultText(const Setting& setting);

// Reads what a user gave for the setting into the request: a number by the rules of
// ParseDialogInteger and within its range, a text within its bytes (a title in upper case and
// of characters code page 932 holds, none a control character), a choice by its name. On
// failure the request keeps its value and the answer is the message for the user, which names
// the limit or the character at fault.
std::optional<std::string> StoreSetting(const Setting& setting, std::string_view given, ConversionRequest& request,
                                        SettingSource source);

// A title in upper case: every letter that code page 932 holds in both cases; the rest as is.
std::string UpperCaseTitle(std::string_view utf8);

// The picture settings.
inline constexpr int32_t kManualPicture = 3;  // pictureMode "Manual setting"; 0..2 are the presets
bool TrimsAutomatically(int32_t trimMode);    // modes 1 and 2
bool UsesManualTrims(int32_t trimMode);       // modes 2 and 3

// Sets the values that the request's picture preset fixes, the frame-rate choice and the
// pre-filter among them; false for Manual (or an unknown mode), which fixes none.
bool ApplyPresetValues(ConversionRequest& request);
// Automatic trimming always goes with an automatic size: when the trimming mode trims
// automatically, sets autoSize and answers true.
bool ApplyTrimmingRule(ConversionRequest& request);
// The last check before a run: in Manual the sizes must be multiples of 4, even while the
// automatic size leaves them unused. The message for the user, none when they are.
std::optional<std::string> CheckManualSize(const ConversionRequest& request);
// The other check before a run: a part of the movie ends after it starts. The message for the
// user, none when it does.
std::optional<std::string> CheckMovieSpan(const ConversionRequest& request);
// Both checks before a run, the size first: the message of the first that fails.
std::optional<std::string> CheckBeforeRun(const ConversionRequest& request);
// The part of the movie the request's times name (times that do not read count as not given).
MovieSpan MovieSpanOf(const ConversionRequest& request);
