// MainDialog: moving the settings between the controls and the ConversionRequest, their
// validation, the presets and enabling rules of the picture settings, and the Browse buttons.
#include <QLineEdit>

#include "app/ControlIds.h"
#include "app/FileChooser.h"
#include "app/MainDialog.h"
#include "app/MessageBox.h"
#include "job/ConversionSettings.h"

namespace {

// The controls that only the Manual setting enables, in the order the rules visit them.
constexpr int kManualSettingControls[] = {kTrimmingList, kTrimTopEdit, kTrimBottomEdit, kTrimLeftEdit, kTrimRightEdit,
                                          kResizeCheck,  kWidthEdit,   kHeightEdit,     kFrameRateList, kPreFilterList};

bool IsTrimEdit(int id) { return id >= kTrimTopEdit && id <= kTrimLeftEdit; }
bool IsSizeEdit(int id) { return id == kWidthEdit || id == kHeightEdit; }

QString ToQString(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

void MainDialog::LoadControls() { settingControls.Load(request); }

bool MainDialog::StoreControls() {
    const std::optional<SettingControls::Failure> failure = settingControls.Store(request);
    if (failure) RejectField(*failure->edit, failure->message);
    return !failure;
}

void MainDialog::RejectField(QLineEdit& edit, const QString& message) {
    ShowMessageBox(this, QMessageBox::Warning, ProgramTitle(), message);
    edit.setFocus();
    edit.selectAll();
}

void MainDialog::UpdateEnabling() {
    const bool manual = request.pictureMode == kManualPicture;
    const bool fewTrims = request.trimMode < 2;
    for (int id : kManualSettingControls) {
        bool enabled = manual;
        if (IsTrimEdit(id) && manual && fewTrims) enabled = false;
        else if (IsSizeEdit(id) && manual && request.autoSize != 0) enabled = false;
        else if (id == kResizeCheck && TrimsAutomatically(request.trimMode)) enabled = false;
        Control(id).setEnabled(enabled);
    }
    // A chosen cartridge size sets the bitrate.
    Control(kBitrateEdit).setEnabled(request.fitBytes == 0);
    // Several movies are chosen in their list.
    Control(kBrowseMovieButton).setEnabled(!SeveralMovies());
}

void MainDialog::ApplyPicturePreset() {
    if (!StoreControls()) return;
    if (ApplyPresetValues(request)) LoadControls();
    UpdateEnabling();
}

void MainDialog::OnTrimmingChanged() {
    if (!StoreControls()) return;
    if (ApplyTrimmingRule(request)) LoadControls();
    UpdateEnabling();
}

void MainDialog::OnSizeChosen() {
    if (!StoreControls()) return;
    UpdateEnabling();
}

void MainDialog::BrowseMovie() {
    if (!StoreControls()) return;
    if (const std::optional<QString> path = ChooseMovieFile(this, ToQString(request.moviePath))) {
        request.moviePath = path->toStdString();
        LoadControls();
        SuggestOutput();
    }
}

void MainDialog::BrowseOutput() {
    if (!StoreControls()) return;
    if (const std::optional<QString> path = ChooseOutputFile(this, ToQString(request.outputPath))) {
        request.outputPath = path->toStdString();
        LoadControls();
    }
}
