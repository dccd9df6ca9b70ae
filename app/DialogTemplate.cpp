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
    {kControlsCheck, CheckBox, "再生中の操作（一時停止・シーク・続きから再生）", 51, 78, 196, 10, "controls"},
    {0, GroupBox, "Picture Settings", 11, 92, 236, 214},
    {kNoResizeRadio, RadioButton, "", 17, 105, 183, 10, "pictureMode", 0},
    {kKeepAspectRadio, RadioButton, "", 17, 119, 220, 10, "pictureMode", 1},
    {kIgnoreAspectRadio, RadioButton, "", 17, 133, 166, 10, "pictureMode", 2},
    {kManualSettingRadio, RadioButton, "", 17, 147, 116, 10, "pictureMode", 3},
    {0, RightLabel, "Trimming", 17, 163, 44, 8},
    {kTrimmingList, DropDownList, "", 65, 162, 176, 101, "trimMode"},
    // Each margin is labelled by the edge of the picture it cuts.
    {0, Label, "上", 65, 180, 9, 10},
    {kTrimTopEdit, NumberEdit, "", 75, 179, 23, 12, "trimTop"},
    {0, Label, "下", 101, 180, 9, 10},
    {kTrimBottomEdit, NumberEdit, "", 111, 179, 23, 12, "trimBottom"},
    {0, Label, "左", 140, 180, 9, 10},
    {kTrimLeftEdit, NumberEdit, "", 150, 179, 23, 12, "trimLeft"},
    {0, Label, "右", 176, 180, 9, 10},
    {kTrimRightEdit, NumberEdit, "", 186, 179, 23, 12, "trimRight"},
    {0, RightLabel, "Resize", 17, 198, 44, 8},
    {kResizeCheck, CheckBox, "自動サイズ", 65, 197, 67, 10, "autoSize"},
    {0, Label, "幅", 65, 210, 9, 10},
    {kWidthEdit, NumberEdit, "", 75, 209, 23, 12, "width"},
    {0, Label, "× 高さ", 101, 210, 24, 10},
    {kHeightEdit, NumberEdit, "", 127, 209, 23, 12, "height"},
    {0, RightLabel, "Frame rate", 17, 230, 44, 8},
    {kFrameRateList, DropDownList, "", 65, 228, 95, 173, "frameRateChoice"},
    {0, RightLabel, "Pre-filter", 17, 250, 44, 8},
    {kPreFilterList, DropDownList, "", 65, 248, 150, 173, "preFilter"},
    {0, RightLabel, "画面", 17, 270, 44, 8},
    {kScreenList, DropDownList, "", 65, 268, 150, 60, "screen"},
    // The user's own adjustments on top of the screen's, each -100..100.
    {0, Label, "明るさ", 65, 288, 26, 10},
    {kBrightnessEdit, NumberEdit, "", 92, 287, 23, 12, "brightness"},
    {0, Label, "ガンマ", 120, 288, 25, 10},
    {kGammaEdit, NumberEdit, "", 146, 287, 23, 12, "gamma"},
    {0, Label, "彩度", 174, 288, 18, 10},
    {kSaturationEdit, NumberEdit, "", 193, 287, 23, 12, "saturation"},
    {0, RightLabel, "音質", 17, 316, 44, 8},
    {kSoundList, DropDownList, "", 65, 314, 80, 40, "sound"},
    {kProcessButton, PushButton, "Process", 141, 334, 50, 14},
    {kExitButton, PushButton, "Exit", 196, 334, 50, 14},
    {kProgressBar, ProgressBar, "", 11, 335, 122, 12},
};

}  // namespace

const DialogTemplate kMainDialogTemplate = {kProgramTitle.data(), 251, 352, 9, kControls};

