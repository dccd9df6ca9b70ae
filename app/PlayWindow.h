#pragma once
// A finished cartridge image playing in a window of its own: the mGBA core (preview/) paced
// at the handheld's 59.727 refreshes a second in small timer slices on the dialog's thread,
// its screen at 2x or 3x, its sound through Qt Multimedia (silent where there is no output
// device), and the keyboard as emulators map it: arrows, Z = B, X = A, Enter = START,
// Backspace = SELECT, A / S = L / R. Closing the window stops the core and its sound.
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>

#include "video/ScreenAdjustment.h"

class HandheldCore;
class QAudioSink;
class QIODevice;
class QLabel;

class PlayWindow : public QWidget {
    Q_OBJECT
public:
    // Starts playing at once; the window deletes itself when closed.
    PlayWindow(std::unique_ptr<HandheldCore> core, const QString& title, QWidget* owner);
    ~PlayWindow() override;

    // The screen as last shown, 240 x 160, and the refreshes run to make it.
    const QImage& Screen() const { return screen; }
    uint32_t RefreshCount() const;

signals:
    // The core has run to this refresh and its screen is shown.
    void refreshShown(uint32_t refresh);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void StartSound();
    void Advance();
    void ShowScreen();
    void SetScale(int scale);
    void Stop();

    std::unique_ptr<HandheldCore> core;
    QTimer pace;
    QElapsedTimer clock;
    uint64_t refreshesRun = 0;  // since the clock started
    QImage screen;
    int scale = 2;
    ::Screen look = ::Screen::Standard;  // the screen whose light the view shows
    QLabel* view;             // a Qt child of this window
    QAudioSink* sink = nullptr;  // a Qt child; none without an output device
    QIODevice* soundOut = nullptr;  // the sink's; not owned
};

// Loads the image at `imagePath` and opens a play window for it, owned by `owner`; an image
// that cannot be loaded is reported in a message box instead.
void OpenPlayWindow(const QString& imagePath, QWidget* owner);
