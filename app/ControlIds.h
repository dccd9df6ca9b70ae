#pragma once
// The identifiers of the controls of dialog template 102 (the main dialog) and 131 (the about
// box). Each control's objectName is its identifier in decimal, so tests address controls by it.

inline constexpr int kProcessButton = 1;  // the dialog's OK command
inline constexpr int kExitButton = 2;     // the dialog's Cancel command
inline constexpr int kMovieFileEdit = 1001;
inline constexpr int kBrowseMovieButton = 1002;
inline constexpr int kOutputFileEdit = 1003;
inline constexpr int kBrowseOutputButton = 1004;
inline constexpr int kRomNameEdit = 1005;
inline constexpr int kBitrateEdit = 1006;
inline constexpr int kNoResizeRadio = 1007;
inline constexpr int kKeepAspectRadio = 1008;
inline constexpr int kIgnoreAspectRadio = 1009;
inline constexpr int kManualSettingRadio = 1010;
inline constexpr int kTrimTopEdit = 1011;
inline constexpr int kTrimBottomEdit = 1012;
inline constexpr int kTrimRightEdit = 1013;
inline constexpr int kTrimLeftEdit = 1014;
inline constexpr int kWidthEdit = 1015;
inline constexpr int kHeightEdit = 1016;
inline constexpr int kFrameRateList = 1017;
inline constexpr int kPreFilterList = 1018;
inline constexpr int kProgressBar = 1019;
inline constexpr int kLinkLabel = 1020;  // about box
inline constexpr int kTrimmingList = 1021;
inline constexpr int kResizeCheck = 1022;
inline constexpr int kControlsCheck = 1023;
inline constexpr int kScreenList = 1024;
inline constexpr int kBrightnessEdit = 1025;
inline constexpr int kGammaEdit = 1026;
inline constexpr int kSaturationEdit = 1027;
inline constexpr int kSoundList = 1028;
inline constexpr int kMovieFactsLabel = 1030;
inline constexpr int kCartridgeSizeList = 1031;
inline constexpr int kStartTimeEdit = 1032;
inline constexpr int kEndTimeEdit = 1033;
inline constexpr int kEstimateLabel = 1034;
// The summary of the last run and the play window (app/RunSummary.h, app/PlayWindow.h).
inline constexpr int kSummaryPathEdit = 1040;
inline constexpr int kSummarySizeLabel = 1041;
inline constexpr int kSummaryPictureLabel = 1042;
inline constexpr int kSummaryRateLabel = 1043;
inline constexpr int kSummaryTimeLabel = 1044;
inline constexpr int kOpenFolderButton = 1045;
inline constexpr int kPlayButton = 1046;
inline constexpr int kPlayScreen = 1047;
inline constexpr int kPlayScreenLook = 1060;  // the play window's screen look
// The handheld's picture of the settings (app/HandheldPictureWindow.h).
inline constexpr int kPictureButton = 1048;
inline constexpr int kPictureScreen = 1049;
// The movie list of a menu image (app/MovieListWindow.h) and the button that opens it.
inline constexpr int kMovieListButton = 1050;
inline constexpr int kMovieListTable = 1051;
inline constexpr int kAddMoviesButton = 1052;
inline constexpr int kRemoveMovieButton = 1053;
inline constexpr int kMovieUpButton = 1054;
inline constexpr int kMovieDownButton = 1055;
inline constexpr int kCloseMovieListButton = 1056;
