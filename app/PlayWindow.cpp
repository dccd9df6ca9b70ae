#include "app/PlayWindow.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMediaDevices>
#include <QVBoxLayout>

#include <algorithm>
#include <span>

#include "app/ControlIds.h"
#include "app/MessageBox.h"
#include "format/Handheld.h"
#include "job/ConversionSettings.h"
#include "job/ImageFile.h"
#include "preview/HandheldCore.h"
#include "video/ScreenModel.h"

namespace {

// The timer looks often and the clock decides how many refreshes are due, so the pace holds
// at 59.727 Hz whatever the timer's own granularity.
constexpr int kTimerMs = 4;
// Behind by more than this (a busy machine, a dragged window), the movie skips rather than
// racing to catch up.
constexpr uint64_t kMostRefreshesAtOnce = 4;
// Sound queued ahead of the speaker, in seconds: enough to ride over a late timer slice.
constexpr double kSoundAheadSeconds = 0.15;
constexpr int kSoundChannels = 2;

uint32_t KeyFor(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Up: return kKeyUp;
    case Qt::Key_Down: return kKeyDown;
    case Qt::Key_Left: return kKeyLeft;
    case Qt::Key_Right: return kKeyRight;
    case Qt::Key_Z: return kKeyB;
    case Qt::Key_X: return kKeyA;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kKeyStart;
    case Qt::Key_Backspace: return kKeySelect;
    case Qt::Key_A: return kKeyL;
    case Qt::Key_S: return kKeyR;
    default: return 0;
    }
}

}  // namespace

PlayWindow::PlayWindow(std::unique_ptr<HandheldCore> played, const QString& title, QWidget* owner)
    : QWidget(owner, Qt::Window), core(std::move(played)), view(new QLabel(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("%1 - 再生 - %2").arg(title, ProgramTitle()));
    view->setObjectName(QString::number(kPlayScreen));
    view->setAlignment(Qt::AlignCenter);
    view->setStyleSheet(QStringLiteral("background: black"));
    auto* scales = new QComboBox(this);
    scales->addItems({QStringLiteral("2倍"), QStringLiteral("3倍")});
    scales->setToolTip(QStringLiteral("画面を2倍か3倍の大きさで表示します。"));
    scales->setFocusPolicy(Qt::NoFocus);  // the arrow keys belong to the handheld
    connect(scales, &QComboBox::currentIndexChanged, this, [this](int index) { SetScale(index + 2); });
    // As the screens themselves would show the pictures, by the model the conversion corrects for.
    auto* looks = new QComboBox(this);
    looks->setObjectName(QString::number(kPlayScreenLook));
    for (const SettingChoice& choice : SettingNamed("screen").choices)
        looks->addItem(QString::fromUtf8(choice.label.data(), qsizetype(choice.label.size())));
    looks->setToolTip(QStringLiteral("その画面で見えるとおりの色で表示します。"));
    looks->setFocusPolicy(Qt::NoFocus);
    connect(looks, &QComboBox::currentIndexChanged, this, [this](int index) { look = ::Screen(index); });
    auto* options = new QHBoxLayout;
    options->addWidget(scales);
    options->addWidget(looks);
    options->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addLayout(options);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setFocusPolicy(Qt::StrongFocus);

    screen = QImage(int(handheld::kScreenWidth), int(handheld::kScreenHeight), QImage::Format_RGB888);
    screen.fill(Qt::black);
    SetScale(scale);
    StartSound();
    pace.setTimerType(Qt::PreciseTimer);
    connect(&pace, &QTimer::timeout, this, &PlayWindow::Advance);
    pace.start(kTimerMs);
    clock.start();
}

PlayWindow::~PlayWindow() { Stop(); }

uint32_t PlayWindow::RefreshCount() const { return core ? core->RefreshCount() : 0; }

void PlayWindow::StartSound() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QAudioFormat format;
    format.setSampleRate(kCoreSoundRateHz);
    format.setChannelCount(kSoundChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    // No device (a machine without sound, a test run): the movie plays silently.
    if (device.isNull() || !device.isFormatSupported(format)) return;
    sink = new QAudioSink(device, format, this);
    sink->setBufferSize(int(kSoundAheadSeconds * kCoreSoundRateHz) * kSoundChannels * int(sizeof(int16_t)));
    soundOut = sink->start();  // none: the sink could not open the device, and stays silent
}

void PlayWindow::Advance() {
    if (!core) return;
    const uint64_t due = uint64_t(double(clock.nsecsElapsed()) * handheld::kRefreshHz / 1e9);
    if (due <= refreshesRun) return;
    const uint64_t count = std::min(due - refreshesRun, kMostRefreshesAtOnce);
    refreshesRun = due;  // what the cap leaves out is skipped, not made up later
    core->RunRefreshes(uint32_t(count));
    const std::vector<int16_t> sound = core->TakeSound();
    if (soundOut) {
        // Never wait for the speaker: what does not fit its buffer now is dropped.
        const qint64 bytes = std::min<qint64>(qint64(sound.size() * sizeof(int16_t)), sink->bytesFree());
        soundOut->write(reinterpret_cast<const char*>(sound.data()), bytes);
    }
    ShowScreen();
    emit refreshShown(core->RefreshCount());
}

void PlayWindow::ShowScreen() {
    std::vector<uint8_t> rgb = core->ScreenRgb24();
    ShowThroughScreen(look, rgb);
    const int rowBytes = screen.width() * 3;
    for (int row = 0; row < screen.height(); ++row)
        std::copy_n(rgb.begin() + ptrdiff_t(row) * rowBytes, rowBytes, screen.scanLine(row));
    // Nearest neighbour: the handheld's pixels stay square blocks.
    view->setPixmap(QPixmap::fromImage(screen.scaled(screen.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void PlayWindow::SetScale(int newScale) {
    scale = newScale;
    view->setFixedSize(screen.size() * scale);
    if (core) ShowScreen();
}

void PlayWindow::keyPressEvent(QKeyEvent* event) {
    const uint32_t key = KeyFor(event->key());
    if (key == 0 || !core) return QWidget::keyPressEvent(event);
    if (!event->isAutoRepeat()) core->PressKeys(key);
}

void PlayWindow::keyReleaseEvent(QKeyEvent* event) {
    const uint32_t key = KeyFor(event->key());
    if (key == 0 || !core) return QWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) core->ReleaseKeys(key);
}

void PlayWindow::closeEvent(QCloseEvent* event) {
    Stop();
    event->accept();
}

void PlayWindow::Stop() {
    pace.stop();
    if (sink) sink->stop();
    soundOut = nullptr;
    core.reset();
}

void OpenPlayWindow(const QString& imagePath, QWidget* owner) {
    const ImageFile file = ReadImageFile(imagePath.toStdString());
    HandheldCoreLoad load;
    if (file.error.empty()) load = HandheldCore::Load(file.bytes);
    if (!load.core) {
        const std::string& error = file.error.empty() ? load.error : file.error;
        ShowMessageBox(owner, QMessageBox::Critical, QStringLiteral("エラー"),
                       QStringLiteral("再生できません\n%1").arg(QString::fromStdString(error)));
        return;
    }
    auto* window = new PlayWindow(std::move(load.core), QFileInfo(imagePath).fileName(), owner);
    window->show();
    window->activateWindow();
}
