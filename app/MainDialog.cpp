#include "app/MainDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/AboutDialog.h"
#include "app/ControlIds.h"
#include "app/ControlTips.h"
#include "app/DialogBuilder.h"
#include "app/DialogUnits.h"
#include "app/DropFileEdit.h"

namespace {

QFont TemplateFont(int points) {
    QFont font;
    font.setPointSize(points);
    return font;
}

}  // namespace

MainDialog::MainDialog(WorkerProcedure worker, MenuWorkerProcedure menuWorker)
    : receiver(*this, [this](uint32_t code, intptr_t value) { OnConvertNotify(code, value); }),
      worker(std::move(worker)),
      menuWorker(std::move(menuWorker)) {
    request.dialogWindow = &receiver;
    // A window of its own on the task bar: title, minimise and close, no maximise, fixed size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromUtf8(kMainDialogTemplate.caption));
    setFont(TemplateFont(kMainDialogTemplate.fontPoints));
    DialogUnits units = DialogUnits::FromFont(font());
    controls = BuildControls(*this, kMainDialogTemplate, units);
    setFixedSize(units.MapSize(kMainDialogTemplate.width, kMainDialogTemplate.height));
    AddRunSummary(units);
    settingControls.Bind(kMainDialogTemplate, controls, *this);
    SetControlTips(controls);
    OnInitDialog();
}

void MainDialog::OnInitDialog() {
    LoadControls();

    // No portable system menu on these desktops: the About entry goes into the window's
    // context menu and onto F1.
    auto* about = new QAction(QStringLiteral("KAVRO バージョン情報(&A)..."), this);
    about->setShortcut(QKeySequence(Qt::Key_F1));
    connect(about, &QAction::triggered, this, &MainDialog::ShowAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    setWindowIcon(QIcon(QStringLiteral(":/icons/kavro.png")));
    UpdateEnabling();
    Progress().setRange(0, 1000);
    auto* process = qobject_cast<QPushButton*>(&Button(kProcessButton));
    process->setDefault(true);
    Edit(kMovieFileEdit).setFocus();

    connect(&Button(kBrowseMovieButton), &QAbstractButton::clicked, this, &MainDialog::BrowseMovie);
    connect(&Button(kMovieListButton), &QAbstractButton::clicked, this, &MainDialog::OpenMovieList);
    connect(&Button(kBrowseOutputButton), &QAbstractButton::clicked, this, &MainDialog::BrowseOutput);
    connect(qobject_cast<DropFileEdit*>(&Edit(kMovieFileEdit)), &DropFileEdit::pathDropped, this, &MainDialog::SuggestOutput);
    connect(&Edit(kOutputFileEdit), &QLineEdit::editingFinished, this, &MainDialog::CompleteOutputExtension);
    connect(&settingControls.RadioGroup("pictureMode"), &QButtonGroup::idClicked, this, &MainDialog::ApplyPicturePreset);
    connect(&List(kTrimmingList), &QComboBox::activated, this, &MainDialog::OnTrimmingChanged);
    connect(&Button(kResizeCheck), &QAbstractButton::clicked, this, &MainDialog::OnTrimmingChanged);
    connect(&List(kCartridgeSizeList), &QComboBox::activated, this, &MainDialog::OnSizeChosen);
    connect(process, &QAbstractButton::clicked, this, &MainDialog::StartConversion);
    connect(&Button(kPictureButton), &QAbstractButton::clicked, this, &MainDialog::ShowPicture);
    connect(&Button(kExitButton), &QAbstractButton::clicked, this, &MainDialog::ExitOrAbort);
    WatchSettings();
}

void MainDialog::reject() { ExitOrAbort(); }

void MainDialog::ShowAbout() {
    AboutDialog about(this);
    about.exec();
}

QWidget& MainDialog::Control(int id) const { return *controls.at(id); }

QLineEdit& MainDialog::Edit(int id) const { return *qobject_cast<QLineEdit*>(&Control(id)); }

QComboBox& MainDialog::List(int id) const { return *qobject_cast<QComboBox*>(&Control(id)); }

QAbstractButton& MainDialog::Button(int id) const { return *qobject_cast<QAbstractButton*>(&Control(id)); }

QProgressBar& MainDialog::Progress() const { return *qobject_cast<QProgressBar*>(&Control(kProgressBar)); }
