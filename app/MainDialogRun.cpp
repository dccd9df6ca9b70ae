// MainDialog: starting, aborting and reporting a conversion run.
//
// The process-wide idle priority class of the host is approximated by running the worker (and
// so the decoding threads it starts, which inherit its nice value) at nice 19; the dialog's
// thread keeps its priority, so there is no process priority to lower or restore.
#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QProgressBar>

#include <algorithm>
#include <system_error>

#include "app/ControlIds.h"
#include "app/MainDialog.h"
#include "app/MessageBox.h"
#include "app/MovieListWindow.h"
#include "app/RunSummary.h"
#include "job/Completion.h"
#include "job/ConversionSettings.h"
#include "platform/FileIdentity.h"
#include "platform/RunState.h"
#include "platform/ThreadPriority.h"

namespace {

// The controls a run disables, in the order it disables them; Exit and the progress bar stay.
constexpr int kRunLockedControls[] = {
    kMovieFileEdit, kBrowseMovieButton, kMovieListButton, kOutputFileEdit, kBrowseOutputButton, kRomNameEdit, kBitrateEdit,
    kCartridgeSizeList, kStartTimeEdit, kEndTimeEdit,
    kControlsCheck, kNoResizeRadio, kKeepAspectRadio,   kIgnoreAspectRadio, kManualSettingRadio,
    kTrimmingList,  kTrimTopEdit,       kTrimBottomEdit,    kTrimLeftEdit,       kTrimRightEdit,
    kResizeCheck,   kWidthEdit,         kHeightEdit,        kFrameRateList,      kPreFilterList,
    kScreenList,    kBrightnessEdit,    kGammaEdit,         kSaturationEdit,     kSoundList,
    kProcessButton,
};

// Whether something that can be overwritten sits at the path; a folder (which the image cannot
// replace) or a dangling link counts as nothing, and assembly reports the failure.
bool OutputExists(const std::string& path) {
    const QFileInfo file(QString::fromStdString(path));
    return file.exists() && !file.isDir();
}

}  // namespace

MainDialog::~MainDialog() {
    if (WorkerThread.joinable()) {
        tearingDown = true;
        runAbort->Signal();
        // The worker may be blocked in a sent notice: keep handling them until its completion.
        while (WorkerThread.joinable()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    NotifyReceiver* self = &receiver;
    NotifyWindow.compare_exchange_strong(self, nullptr);
}

void MainDialog::StartConversion() {
    if (!StoreControls()) return;
    if (request.moviePath.empty() || request.outputPath.empty()) return;
    if (const std::optional<std::string> fault = CheckBeforeRun(request)) {
        ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("パラメータエラー"), QString::fromStdString(*fault));
        return;
    }
    if (SeveralMovies()) {
        if (!PrepareMenuRun()) return;
    } else if (IsSameFile(request.moviePath, request.outputPath)) {
        ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("パラメータエラー"),
                       QStringLiteral("出力先ファイル\n\n    %1\n\nは変換するムービーファイルそのものです。別のファイルを指定してください")
                           .arg(QString::fromStdString(request.outputPath)));
        return;
    }
    if (OutputExists(request.outputPath) && !ConfirmOverwrite()) return;

    SetRunLocked(true);
    summary->Clear();
    Button(kExitButton).setText(QStringLiteral("中断(&B)"));
    NotifyWindow = &receiver;
    AbortRequested = false;
    ErrorDetail.clear();
    LastShownPercent = -1;
    runAbort = std::make_unique<AbortEvent>();
    request.abortEvent = runAbort.get();
    try {
        WorkerThread = std::jthread([procedure = RunProcedure()] {
            SetCurrentThreadBackgroundPriority();
            procedure();
        });
    } catch (const std::system_error&) {
        // No thread, so no completion will come: end the run here, as an unexpected failure.
        CompleteRun(kUnexpectedFailure);
    }
}

bool MainDialog::ConfirmOverwrite() {
    const QString text = QStringLiteral("出力先ファイル\n\n    %1\n\nが既に存在します。上書きしてもよろしいですか？")
                             .arg(QString::fromStdString(request.outputPath));
    return ShowMessageBox(this, QMessageBox::Question, QStringLiteral("上書き確認"), text,
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void MainDialog::SetRunLocked(bool locked) {
    for (int id : kRunLockedControls) Control(id).setEnabled(!locked);
    if (movieList) movieList->setEnabled(!locked);
}

void MainDialog::ExitOrAbort() {
    if (WorkerThread.joinable()) {
        // The run takes it at its next step; once the image has replaced the output, it is too late.
        runAbort->Signal();
        return;
    }
    done(0);
}

void MainDialog::OnConvertNotify(uint32_t code, intptr_t value) {
    switch (code) {
    case NOTIFY_PROGRESS: ShowProgress(value); break;
    case NOTIFY_STATUS:
        setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromUtf8(reinterpret_cast<const char*>(value)), ProgramTitle()));
        break;
    case NOTIFY_COMPLETED:
        // A completion belongs to a run; one that arrives while idle has nothing to end.
        if (WorkerThread.joinable()) CompleteRun(static_cast<int>(value));
        break;
    default: break;
    }
}

void MainDialog::ShowProgress(intptr_t thousandths) {
    // The bar ignores values outside its range; a source that undercounts its frames can send more than 1000.
    Progress().setValue(static_cast<int>(std::clamp<intptr_t>(thousandths, 0, 1000)));
    const int32_t percent = static_cast<int32_t>(thousandths / 10);
    if (percent == LastShownPercent) return;
    setWindowTitle(QStringLiteral("%1% - 変換中 - %2").arg(percent).arg(ProgramTitle()));
    LastShownPercent = percent;
}

void MainDialog::CompleteRun(int completionCode) {
    if (tearingDown) {
        WorkerThread.detach();
        return;
    }
    ReportOutcome(completionCode);
    // The worker's last act was to post this notice; its thread ends by itself.
    if (WorkerThread.joinable()) WorkerThread.detach();
    setWindowTitle(ProgramTitle());
    Progress().setValue(0);
    SetRunLocked(false);
    Button(kExitButton).setText(QStringLiteral("終了(&X)"));
    ApplyPicturePreset();
}

void MainDialog::ReportOutcome(int completionCode) {
    const CompletionReport report = DescribeCompletion(completionCode, AbortRequested, ErrorDetail);
    if (report.title.empty()) {
        QApplication::beep();  // success: the sound and the summary, no box
        summary->Show(QString::fromStdString(request.outputPath));
        return;
    }
    ShowMessageBox(this, QMessageBox::Critical, QString::fromStdString(report.title), QString::fromStdString(report.text));
}
