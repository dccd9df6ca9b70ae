// MainDialog: the line of the chosen movie's facts and the estimate of the image, asked for
// whenever a setting changes and shown as the estimator answers; a chosen cartridge size fills
// the bitrate.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/ControlIds.h"
#include "app/HandheldPictureWindow.h"
#include "app/MainDialog.h"

namespace {

// The colour of an estimate that will not fit, or of a setting at fault.
const QColor kWarningColour(0xC0, 0x00, 0x00);

}  // namespace

void MainDialog::WatchSettings() {
    for (const int id : {kMovieFactsLabel, kEstimateLabel}) qobject_cast<QLabel*>(&Control(id))->setWordWrap(true);
    for (const auto& [id, widget] : controls) {
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) connect(edit, &QLineEdit::textChanged, this, &MainDialog::AskEstimate);
        else if (auto* list = qobject_cast<QComboBox*>(widget))
            connect(list, &QComboBox::currentIndexChanged, this, &MainDialog::AskEstimate);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable())
            connect(button, &QAbstractButton::toggled, this, &MainDialog::AskEstimate);
    }
    connect(&estimator, &MovieEstimator::Answered, this, &MainDialog::ShowEstimate);
}

void MainDialog::AskEstimate() {
    // The controls as they stand, without touching the dialog's own request or telling the
    // user: a field at fault is shown in the estimate's place until it is mended.
    ConversionRequest asked = request;
    if (const std::optional<SettingControls::Failure> failure = settingControls.Store(asked)) {
        estimator.Cancel();
        ShowEstimate({qobject_cast<QLabel*>(&Control(kMovieFactsLabel))->text(), failure->message, false, {}});
        return;
    }
    estimator.Ask(asked);
    if (pictureWindow) pictureWindow->Ask(asked);
}

void MainDialog::ShowEstimate(const MovieEstimate& estimate) {
    qobject_cast<QLabel*>(&Control(kMovieFactsLabel))->setText(estimate.facts);
    auto* line = qobject_cast<QLabel*>(&Control(kEstimateLabel));
    line->setText(estimate.estimate);
    QPalette colours = palette();
    if (!estimate.fits) colours.setColor(QPalette::WindowText, kWarningColour);
    line->setPalette(colours);
    QLineEdit& bitrate = Edit(kBitrateEdit);
    const bool sizeChosen = List(kCartridgeSizeList).currentIndex() > 0;
    if (sizeChosen && estimate.fittedBitrate && bitrate.text() != QString::number(*estimate.fittedBitrate))
        bitrate.setText(QString::number(*estimate.fittedBitrate));
}
