#include "app/DialogTemplate.h"

#include "app/ControlIds.h"
#include "job/Completion.h"

namespace {

using enum ControlKind;

// The picture settings' labels stand in one column, so that each list may take the group's
// whole width: the trimming list's longest item needs about 170 units in a 9-point font.
constexpr TemplateControl kControls[] = {
    {0, Label, "Movie file", 4, 7, 62, 8},
    {kMovieFileEdit, DropFileEdit, "", 51, 4, 114, 14, "moviePath"},
    // The movies of a menu image, in a window of their own.
    {kMovieListButton, PushButton, "複数...", 168, 4, 33, 14},
    {kBrowseMovieButton, PushButton, "Browse...", 204, 4, 41, 14},
    // What the chosen movie is, read from its headers.
    {kMovieFactsLabel, Label, "", 51, 20, 194, 8},
    {0, Label, "GBA ROM file", 4, 37, 62, 8},
    {kOutputFileEdit, DropFileEdit, "", 51, 35, 146, 14, "outputPath"},
    {kBrowseOutputButton, PushButton, "Browse...", 204, 35, 41, 14},
    {0, Label, "ROM Name", 4, 55, 62, 8},
    {kRomNameEdit, Edit, "", 51, 52, 68, 14, "romName"},
    {0, Label, "(12 chars. max.)", 123, 55, 83, 8},
    {0, Label, "Bitrate", 4, 73, 39, 8},
    {kBitrateEdit, NumberEdit, "", 51, 71, 27, 14, "bitrate"},
    {0, Label, "KBytes / sec.", 83, 73, 48, 8},
    {0, Label, "容量", 138, 73, 24, 8},
    {kCartridgeSizeList, DropDownList, "", 163, 71, 62, 76, "fitBytes"},
    {0, Label, "開始", 4, 91, 39, 8},
    {kStartTimeEdit, Edit, "", 51, 89, 50, 14, "startTime"},
    {0, Label, "終了", 108, 91, 20, 8},
    {kEndTimeEdit, Edit, "", 128, 89, 50, 14, "endTime"},
    {0, Label, "（秒 か 時:分:秒）", 183, 91, 64, 8},
    {kControlsCheck, CheckBox, "再生中の操作（一時停止・シーク・続きから再生）", 51, 107, 196, 10, "controls"},
    {0, GroupBox, "Picture Settings", 11, 121, 236, 214},
    {kNoResizeRadio, RadioButton, "", 17, 134, 183, 10, "pictureMode", 0},
    {kKeepAspectRadio, RadioButton, "", 17, 148, 220, 10, "pictureMode", 1},
    {kIgnoreAspectRadio, RadioButton, "", 17, 162, 166, 10, "pictureMode", 2},
    {kManualSettingRadio, RadioButton, "", 17, 176, 116, 10, "pictureMode", 3},
    {0, RightLabel, "Trimming", 17, 192, 44, 8},
    {kTrimmingList, DropDownList, "", 65, 191, 176, 101, "trimMode"},
    // Each margin is labelled by the edge of the picture it cuts.
    {0, Label, "上", 65, 209, 9, 10},
    {kTrimTopEdit, NumberEdit, "", 75, 208, 23, 12, "trimTop"},
    {0, Label, "下", 101, 209, 9, 10},
    {kTrimBottomEdit, NumberEdit, "", 111, 208, 23, 12, "trimBottom"},
    {0, Label, "左", 140, 209, 9, 10},
    {kTrimLeftEdit, NumberEdit, "", 150, 208, 23, 12, "trimLeft"},
    {0, Label, "右", 176, 209, 9, 10},
    {kTrimRightEdit, NumberEdit, "", 186, 208, 23, 12, "trimRight"},
    {0, RightLabel, "Resize", 17, 227, 44, 8},
    {kResizeCheck, CheckBox, "自動サイズ", 65, 226, 67, 10, "autoSize"},
    {0, Label, "幅", 65, 239, 9, 10},
    {kWidthEdit, NumberEdit, "", 75, 238, 23, 12, "width"},
    {0, Label, "× 高さ", 101, 239, 24, 10},
    {kHeightEdit, NumberEdit, "", 127, 238, 23, 12, "height"},
    {0, RightLabel, "Frame rate", 17, 259, 44, 8},
    {kFrameRateList, DropDownList, "", 65, 257, 95, 173, "frameRateChoice"},
    {0, RightLabel, "Pre-filter", 17, 279, 44, 8},
    {kPreFilterList, DropDownList, "", 65, 277, 150, 173, "preFilter"},
    {0, RightLabel, "画面", 17, 299, 44, 8},
    {kScreenList, DropDownList, "", 65, 297, 150, 60, "screen"},
    // The user's own adjustments on top of the screen's, each -100..100.
    {0, Label, "明るさ", 65, 317, 26, 10},
    {kBrightnessEdit, NumberEdit, "", 92, 316, 23, 12, "brightness"},
    {0, Label, "ガンマ", 120, 317, 25, 10},
    {kGammaEdit, NumberEdit, "", 146, 316, 23, 12, "gamma"},
    {0, Label, "彩度", 174, 317, 18, 10},
    {kSaturationEdit, NumberEdit, "", 193, 316, 23, 12, "saturation"},
    {0, RightLabel, "音質", 17, 345, 44, 8},
    {kSoundList, DropDownList, "", 65, 343, 80, 40, "sound"},
    // What the image will come to with these settings, or why it will not fit.
    {kEstimateLabel, Label, "", 11, 359, 236, 18},
    {kPictureButton, PushButton, "プレビュー", 86, 380, 50, 14},
    {kProcessButton, PushButton, "Process", 141, 380, 50, 14},
    {kExitButton, PushButton, "Exit", 196, 380, 50, 14},
    {kProgressBar, ProgressBar, "", 11, 381, 70, 12},
};

}  // namespace

const DialogTemplate kMainDialogTemplate = {kProgramTitle.data(), 251, 398, 9, kControls};

