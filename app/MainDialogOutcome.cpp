// MainDialog: what a successful run made, below the template's controls, and playing it.
#include "app/DialogTemplate.h"
#include "app/MainDialog.h"
#include "app/PlayWindow.h"
#include "app/RunSummary.h"

namespace {

// Dialog units: three lines of figures and a row of buttons in a group box.
constexpr int kSummaryHeight = 84;
constexpr int kSummaryMargin = 4;

}  // namespace

void MainDialog::AddRunSummary(const DialogUnits& units) {
    summary = new RunSummary(this);
    const int top = kMainDialogTemplate.height;
    summary->setGeometry(units.Map(kSummaryMargin, top, kMainDialogTemplate.width - 2 * kSummaryMargin, kSummaryHeight));
    setFixedSize(units.MapSize(kMainDialogTemplate.width, top + kSummaryHeight + kSummaryMargin));
    connect(summary, &RunSummary::playRequested, this, &MainDialog::PlayImage);
}

void MainDialog::PlayImage(const QString& imagePath) { OpenPlayWindow(imagePath, this); }
