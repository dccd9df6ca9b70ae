#include "app/DialogTemplate.h"

#include "app/ControlIds.h"

namespace {

using enum ControlKind;

constexpr TemplateControl kControls[] = {
    {0, Label, "Movie file", 4, 7, 62, 8},
    {kMovieFileEdit, DropFileEdit, "", 51, 4, 146, 14},
    {kBrowseMovieButton, PushButton, "Browse...", 204, 4, 41, 14},
    {0, Label, "GBA ROM file", 4, 25, 62, 8},
    {kOutputFileEdit, DropFileEdit, "", 51, 23, 146, 14},
    {kBrowseOutputButton, PushButton, "Browse...", 204, 23, 41, 14},
    {0, Label, "ROM Name", 4, 43, 62, 8},
    {kRomNameEdit, Edit, "", 51, 40, 68, 14},
    {0, Label, "(12 chars. max.)", 123, 43, 83, 8},
    {0, Label, "Bitrate", 4, 61, 39, 8},
    {kBitrateEdit, NumberEdit, "", 51, 59, 27, 14},
    {0, Label, "KBytes / sec.", 83, 61, 48, 8},
    {0, GroupBox, "Picture Settings", 11, 78, 236, 182},
    {kNoResizeRadio, RadioButton, "No resize", 17, 91, 183, 10},
    {kKeepAspectRadio, RadioButton, "Resize but keep aspect ratio", 17, 105, 220, 10},
    {kIgnoreAspectRadio, RadioButton, "Resize and ignore aspect ratio", 17, 119, 166, 10},
    {kManualSettingRadio, RadioButton, "Manual setting", 17, 133, 116, 10},
    {0, RightLabel, "Trimming", 29, 149, 52, 8},
    {kTrimmingList, DropDownList, "", 85, 148, 143, 101},
    {0, Label, "?", 85, 167, 8, 8},
    {kTrimTopEdit, NumberEdit, "", 95, 165, 23, 12},
    {0, Label, "?", 121, 167, 8, 8},
    {kTrimBottomEdit, NumberEdit, "", 131, 165, 23, 12},
    {0, Label, "?", 161, 167, 8, 8},
    {kTrimLeftEdit, NumberEdit, "", 170, 165, 23, 12},
    {0, Label, "?", 198, 167, 8, 8},
    {kTrimRightEdit, NumberEdit, "", 206, 165, 23, 12},
    {0, RightLabel, "Resize", 29, 184, 52, 8},
    {kResizeCheck, CheckBox, "????????", 85, 183, 67, 10},
    {0, Label, "?", 85, 197, 8, 8},
    {kWidthEdit, NumberEdit, "", 95, 195, 23, 12},
    {0, Label, "× ?", 121, 197, 17, 8},
    {kHeightEdit, NumberEdit, "", 140, 195, 23, 12},
    {0, RightLabel, "Frame rate", 29, 216, 52, 8},
    {kFrameRateList, DropDownList, "", 85, 214, 75, 173},
    {0, RightLabel, "Pre-filter", 29, 236, 52, 8},
    {kPreFilterList, DropDownList, "", 85, 234, 120, 173},
    {kProcessButton, PushButton, "Process", 141, 269, 50, 14},
    {kExitButton, PushButton, "Exit", 196, 269, 50, 14},
    {kProgressBar, ProgressBar, "", 11, 270, 122, 12},
};

constexpr const char* kTrimmingItems[] = {
    "トリミングしない",
    "GBAの縦横比に合わせて自動トリミングする",
    "手動トリミングの後、さらに自動トリミングする",
    "手動トリミングのみ",
};

constexpr const char* kFrameRateItems[] = {
    "自動",
    "変更しない",
    "4/5 (30fps → 24fps)",
    "2/3 (30fps → 20fps)",
    "1/2 (30fps → 15fps)",
    "2/5 (30fps → 12fps)",
    "1/3 (30fps → 10fps)",
    "1/4 (30fps → 7.5fps)",
    "1/5 (30fps → 6fps)",
};

constexpr const char* kPreFilterItems[] = {
    "何もしない（旧バージョン互換）",
    "15bit切り落としのみ（画質悪・高圧縮）",
    "2段階ディザリングで15bit化",
    "4段階ディザリングで15bit化",
};

}  // namespace

const DialogTemplate kMainDialogTemplate = {"VELDRIN", 251, 287, 9, kControls};

std::span<const char* const> ListItems(int listId) {
    switch (listId) {
    case kTrimmingList: return kTrimmingItems;
    case kFrameRateList: return kFrameRateItems;
    case kPreFilterList: return kPreFilterItems;
    default: return {};
    }
}
