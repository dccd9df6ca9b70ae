#pragma once
// The program's only window: the settings of one conversion (the ConversionRequest), their
// validation and presets, and the control of the run that converts with them.
#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "app/DialogNotifyReceiver.h"
#include "app/DialogUnits.h"
#include "app/MovieEstimator.h"
#include "app/SettingControls.h"
#include "job/ConversionRequest.h"
#include "job/MenuConversion.h"
#include "platform/AbortEvent.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class MovieListWindow;
class QProgressBar;
class HandheldPictureWindow;
class RunSummary;

class MainDialog : public QDialog {
    Q_OBJECT
public:
    // The procedure of the worker thread; ConversionWorker in the program, a stand-in in tests.
    using WorkerProcedure = std::function<int(const ConversionRequest&)>;
    // That of a run with several movies behind a menu; MenuConversionWorker in the program.
    using MenuWorkerProcedure = std::function<int(const MenuRequest&)>;

    explicit MainDialog(WorkerProcedure worker, MenuWorkerProcedure menuWorker = MenuConversionWorker);
    // A run still active here (the application torn down around it) is aborted and waited for.
    ~MainDialog() override;

    // Escape and every request to close the window come here: ExitOrAbort.
    void reject() override;

private:
    // Settings (MainDialogSettings.cpp).
    void OnInitDialog();
    void LoadControls();
    [[nodiscard]] bool StoreControls();
    void RejectField(QLineEdit& edit, const QString& message);
    void UpdateEnabling();
    void ApplyPicturePreset();
    void OnTrimmingChanged();
    void OnSizeChosen();
    void BrowseMovie();
    void BrowseOutput();
    // The output path helps (MainDialogOutputPath.cpp).
    void SuggestOutput();
    void CompleteOutputExtension();

    // The movie's facts and the estimate (MainDialogEstimate.cpp).
    void WatchSettings();
    void AskEstimate();
    void ShowEstimate(const MovieEstimate& estimate);

    // Run control (MainDialogRun.cpp).
    void StartConversion();
    [[nodiscard]] bool ConfirmOverwrite();
    void SetRunLocked(bool locked);
    void ExitOrAbort();
    void OnConvertNotify(uint32_t code, intptr_t value);
    void ShowProgress(intptr_t thousandths);
    void CompleteRun(int completionCode);
    void ReportOutcome(int completionCode);

    // Several movies behind a menu (MainDialogMovieList.cpp).
    void OpenMovieList();
    void ShowMovieList();
    [[nodiscard]] bool SeveralMovies() const;
    [[nodiscard]] bool PrepareMenuRun();
    [[nodiscard]] std::function<void()> RunProcedure();

    void ShowAbout();
    // The summary of the last run, below the template's controls (MainDialogOutcome.cpp).
    void AddRunSummary(const DialogUnits& units);
    void PlayImage(const QString& imagePath);
    // The handheld's picture of the settings (MainDialogPicture.cpp).
    void ShowPicture();

    QWidget& Control(int id) const;
    QLineEdit& Edit(int id) const;
    QComboBox& List(int id) const;
    QAbstractButton& Button(int id) const;
    QProgressBar& Progress() const;

    ConversionRequest request;
    DialogNotifyReceiver receiver;
    WorkerProcedure worker;
    MenuWorkerProcedure menuWorker;
    MenuRequest menuRequest;            // the active menu run's; its worker reads it in place
    MovieListWindow* movieList = nullptr;  // a Qt child, made when first opened
    std::map<int, QWidget*> controls;   // by identifier; Qt children of the dialog
    SettingControls settingControls;    // the inputs among them, by the setting they edit
    RunSummary* summary = nullptr;      // a Qt child of the dialog
    QPointer<HandheldPictureWindow> pictureWindow;  // a Qt child of the dialog while open
    std::jthread WorkerThread;          // joinable exactly while a run is active
    std::unique_ptr<AbortEvent> runAbort;  // the active run's abort channel, new for each run
    MovieEstimator estimator;              // after the controls: gone before them
    int32_t LastShownPercent = -1;
    bool tearingDown = false;  // set by the destructor: a completion then ends the run silently
};
