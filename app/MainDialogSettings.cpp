// MainDialog: moving the settings between the controls and the ConversionRequest, their
// validation, the presets and enabling rules of the picture settings, and the Browse buttons.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>

#include "app/ControlIds.h"
#include "app/DialogInteger.h"
#include "app/FileChooser.h"
#include "app/MainDialog.h"
#include "app/MessageBox.h"
#include "platform/Cp932.h"

namespace {

// The controls that only the Manual setting enables, in the order the rules visit them.
constexpr int kManualSettingControls[] = {kTrimmingList, kTrimTopEdit, kTrimBottomEdit, kTrimLeftEdit, kTrimRightEdit,
                                          kResizeCheck,  kWidthEdit,   kHeightEdit,     kFrameRateList, kPreFilterList};

bool IsTrimEdit(int id) { return id >= kTrimTopEdit && id <= kTrimLeftEdit; }
bool IsSizeEdit(int id) { return id == kWidthEdit || id == kHeightEdit; }
bool TrimsAutomatically(int32_t trimMode) { return trimMode == 1 || trimMode == 2; }

// The values a picture preset fixes; false for Manual (and any unknown mode), which fixes none.
bool ApplyPresetValues(ConversionRequest& settings) {
    switch (settings.pictureMode) {
    case 0:  // "No resize"
        settings.trimMode = 0;
        settings.autoSize = 1;
        break;
    case 1:  // "Resize but keep aspect ratio"
        settings.trimMode = 1;
        settings.autoSize = 1;
        break;
    case 2:  // "Resize and ignore aspect ratio"
        settings.trimMode = 0;
        settings.trimLeft = settings.trimTop = settings.trimRight = settings.trimBottom = 0;
        settings.autoSize = 0;
        settings.width = 240;
        settings.height = 160;
        break;
    default: return false;
    }
    settings.frameRateChoice = 0;  // "自動"
    settings.preFilter = 3;        // "4段階ディザリングで15bit化"
    return true;
}

QString ToQString(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

void MainDialog::LoadControls() {
    const auto setNumber = [this](int id, int32_t value) { Edit(id).setText(QString::number(value)); };
    setNumber(kBitrateEdit, request.bitrate);
    setNumber(kWidthEdit, request.width);
    setNumber(kHeightEdit, request.height);
    Edit(kOutputFileEdit).setText(ToQString(request.outputPath));
    Edit(kMovieFileEdit).setText(ToQString(request.moviePath));
    setNumber(kTrimBottomEdit, request.trimBottom);
    setNumber(kTrimLeftEdit, request.trimLeft);
    setNumber(kTrimTopEdit, request.trimTop);
    setNumber(kTrimRightEdit, request.trimRight);
    List(kFrameRateList).setCurrentIndex(request.frameRateChoice);
    if (QAbstractButton* mode = pictureModes->button(request.pictureMode)) mode->setChecked(true);
    Edit(kRomNameEdit).setText(ToQString(request.romName));
    Button(kResizeCheck).setChecked(request.autoSize != 0);
    List(kTrimmingList).setCurrentIndex(request.trimMode);
    List(kPreFilterList).setCurrentIndex(request.preFilter);
}

bool MainDialog::StoreControls() {
    if (!StoreInteger(kBitrateEdit, request.bitrate, 0, 500)) return false;
    if (!StoreInteger(kWidthEdit, request.width, 4, 240)) return false;
    if (!StoreInteger(kHeightEdit, request.height, 4, 160)) return false;
    if (!StoreText(kOutputFileEdit, request.outputPath, kPathBytes)) return false;
    if (!StoreText(kMovieFileEdit, request.moviePath, kPathBytes)) return false;
    if (!StoreInteger(kTrimBottomEdit, request.trimBottom, 0, 1000)) return false;
    if (!StoreInteger(kTrimLeftEdit, request.trimLeft, 0, 1000)) return false;
    if (!StoreInteger(kTrimTopEdit, request.trimTop, 0, 1000)) return false;
    if (!StoreInteger(kTrimRightEdit, request.trimRight, 0, 1000)) return false;
    request.frameRateChoice = List(kFrameRateList).currentIndex();
    request.pictureMode = pictureModes->checkedId();
    if (!StoreText(kRomNameEdit, request.romName, kRomNameBytes)) return false;
    request.autoSize = Button(kResizeCheck).isChecked() ? 1 : 0;
    request.trimMode = List(kTrimmingList).currentIndex();
    request.preFilter = List(kPreFilterList).currentIndex();
    return true;
}

bool MainDialog::StoreInteger(int id, int32_t& field, int32_t lowest, int32_t highest) {
    QLineEdit& edit = Edit(id);
    const std::optional<int32_t> value = ParseDialogInteger(edit.text().toStdString());
    if (!value) {
        RejectField(edit, QStringLiteral("整数を入力してください。"));
        return false;
    }
    if (*value < lowest || *value > highest) {
        RejectField(edit, QStringLiteral("%1 から %2 までの整数を入力してください。").arg(lowest).arg(highest));
        return false;
    }
    field = *value;
    return true;
}

bool MainDialog::StoreText(int id, std::string& field, size_t maxBytes) {
    QLineEdit& edit = Edit(id);
    std::string text = edit.text().toStdString();
    if (Cp932ByteCount(text) > maxBytes) {
        RejectField(edit, QStringLiteral("%1 文字以内で入力してください。").arg(maxBytes));
        return false;
    }
    field = std::move(text);
    return true;
}

void MainDialog::RejectField(QLineEdit& edit, const QString& message) {
    // The title is the program's name, which is the executable's file name: no display name is set.
    ShowMessageBox(this, QMessageBox::Warning, QCoreApplication::applicationName(), message);
    edit.setFocus();
    edit.selectAll();
}

void MainDialog::UpdateEnabling() {
    const bool manual = request.pictureMode == kManualPictureMode;
    const bool fewTrims = request.trimMode < 2;
    for (int id : kManualSettingControls) {
        bool enabled = manual;
        if (IsTrimEdit(id) && manual && fewTrims) enabled = false;
        else if (IsSizeEdit(id) && manual && request.autoSize != 0) enabled = false;
        else if (id == kResizeCheck && TrimsAutomatically(request.trimMode)) enabled = false;
        Control(id).setEnabled(enabled);
    }
}

void MainDialog::ApplyPicturePreset() {
    if (!StoreControls()) return;
    if (ApplyPresetValues(request)) LoadControls();
    UpdateEnabling();
}

void MainDialog::OnTrimmingChanged() {
    if (!StoreControls()) return;
    // Automatic trimming always goes with an automatic size.
    if (TrimsAutomatically(request.trimMode)) {
        request.autoSize = 1;
        LoadControls();
    }
    UpdateEnabling();
}

void MainDialog::BrowseMovie() {
    if (!StoreControls()) return;
    if (const std::optional<QString> path = ChooseMovieFile(this, ToQString(request.moviePath))) {
        request.moviePath = path->toStdString();
        LoadControls();
    }
}

void MainDialog::BrowseOutput() {
    if (!StoreControls()) return;
    if (const std::optional<QString> path = ChooseOutputFile(this, ToQString(request.outputPath))) {
        request.outputPath = path->toStdString();
        LoadControls();
    }
}
