#include "app/DialogTemplate.h"

#include "app/ControlIds.h"
#include "job/Completion.h"

namespace {

using enum ControlKind;

// The picture settings' labels stand in one column, so that each list may take the group's
// whole width: the trimming list's longest item needs about 170 units in a 9-point font.
constexpr TemplateControl kControls[] = {
    {0, Label, "Movie file", 4, 7, 62, 8},
    {kMovieFileEdit, DropFileEdit, "", 51, 4, 146, 14, "moviePath"},
    {kBrowseMovieButton, PushButton, "Browse...", 204, 4, 41, 14},
    {0, Label, "GBA ROM file", 4, 25, 62, 8},
    {kOutputFileEdit, DropFileEdit, "", 51, 23, 146, 14, "outputPath"},
    {kBrowseOutputButton, PushButton, "Browse...", 204, 23, 41, 14},
    {0, Label, "ROM Name", 4, 43, 62, 8},
    {kRomNameEdit, Edit, "", 51, 40, 68, 14, "romName"},
    {0, Label, "(12 chars. max.)", 123, 43, 83, 8},
    {0, Label, "Bitrate", 4, 61, 39, 8},
    {kBitrateEdit, NumberEdit, "", 51, 59, 27, 14, "bitrate"},
    {0, Label, "KBytes / sec.", 83, 61, 48, 8},
    {0, GroupBox, "Picture Settings", 11, 78, 236, 182},
    {kNoResizeRadio, RadioButton, "", 17, 91, 183, 10, "pictureMode", 0},
    {kKeepAspectRadio, RadioButton, "", 17, 105, 220, 10, "pictureMode", 1},
    {kIgnoreAspectRadio, RadioButton, "", 17, 119, 166, 10, "pictureMode", 2},
    {kManualSettingRadio, RadioButton, "", 17, 133, 116, 10, "pictureMode", 3},
    {0, RightLabel, "Trimming", 17, 149, 44, 8},
    {kTrimmingList, DropDownList, "", 65, 148, 176, 101, "trimMode"},
    // Each margin is labelled by the edge of the picture it cuts.
    {0, Label, "上", 65, 166, 9, 10},
    {kTrimTopEdit, NumberEdit, "", 75, 165, 23, 12, "trimTop"},
    {0, Label, "下", 101, 166, 9, 10},
    {kTrimBottomEdit, NumberEdit, "", 111, 165, 23, 12, "trimBottom"},
    {0, Label, "左", 140, 166, 9, 10},
    {kTrimLeftEdit, NumberEdit, "", 150, 165, 23, 12, "trimLeft"},
    {0, Label, "右", 176, 166, 9, 10},
    {kTrimRightEdit, NumberEdit, "", 186, 165, 23, 12, "trimRight"},
    {0, RightLabel, "Resize", 17, 184, 44, 8},
    {kResizeCheck, CheckBox, "自動サイズ", 65, 183, 67, 10, "autoSize"},
    {0, Label, "幅", 65, 196, 9, 10},
    {kWidthEdit, NumberEdit, "", 75, 195, 23, 12, "width"},
    {0, Label, "× 高さ", 101, 196, 24, 10},
    {kHeightEdit, NumberEdit, "", 127, 195, 23, 12, "height"},
    {0, RightLabel, "Frame rate", 17, 216, 44, 8},
    {kFrameRateList, DropDownList, "", 65, 214, 95, 173, "frameRateChoice"},
    {0, RightLabel, "Pre-filter", 17, 236, 44, 8},
    {kPreFilterList, DropDownList, "", 65, 234, 150, 173, "preFilter"},
    {kProcessButton, PushButton, "Process", 141, 269, 50, 14},
    {kExitButton, PushButton, "Exit", 196, 269, 50, 14},
    {kProgressBar, ProgressBar, "", 11, 270, 122, 12},
};

}  // namespace

const DialogTemplate kMainDialogTemplate = {kProgramTitle.data(), 251, 287, 9, kControls};

