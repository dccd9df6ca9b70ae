// Takes docs/summary.png, docs/play.png and docs/picture.png: the dialog after it has converted
// a movie, with the summary of what it made, the play window a moment into the movie, and the
// picture window with the frame the handheld will show, as the X server draws them. Run under Xvfb by make-outcome-screenshots with the sample movie.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <functional>

#include "app/ControlIds.h"
#include "app/HandheldPictureWindow.h"
#include "app/MainDialog.h"
#include "app/PlayWindow.h"
#include "job/ConversionWorker.h"

namespace {

template <class T>
T& Control(QWidget& dialog, int id) {
    return *dialog.findChild<T*>(QString::number(id));
}

bool Grab(QWidget& window, const char* path) {
    const QRect frame = window.frameGeometry();
    return window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(QString::fromLocal8Bit(path));
}

// Calls `then` once `ready` holds, looking every 100 ms.
void When(std::function<bool()> ready, std::function<void()> then) {
    if (ready()) return then();
    QTimer::singleShot(100, [ready, then] { When(ready, then); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: outcome_screenshot MOVIE OUTPUT.gba SUMMARY.png PLAY.png PICTURE.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    MainDialog dialog(ConversionWorker);
    dialog.move(0, 0);
    dialog.show();
    Control<QLineEdit>(dialog, kMovieFileEdit).setText(QString::fromLocal8Bit(argv[1]));
    Control<QLineEdit>(dialog, kOutputFileEdit).setText(QString::fromLocal8Bit(argv[2]));
    Control<QLineEdit>(dialog, kRomNameEdit).setText(QStringLiteral("KAVRO DEMO"));
    Control<QAbstractButton>(dialog, kKeepAspectRadio).click();
    Control<QAbstractButton>(dialog, kProcessButton).click();
    int status = 1;
    auto& play = Control<QAbstractButton>(dialog, kPlayButton);
    When([&] { return play.isEnabled(); }, [&] {
        QTimer::singleShot(300, [&] {
            if (!Grab(dialog, argv[3])) return app.quit();
            play.click();
            PlayWindow* window = dialog.findChild<PlayWindow*>();
            if (!window) return app.quit();
            window->move(dialog.frameGeometry().right() + 8, 0);
            QTimer::singleShot(2500, [&, window] {
                if (!Grab(*window, argv[4])) return app.quit();
                window->close();
                Control<QAbstractButton>(dialog, kPictureButton).click();
                HandheldPictureWindow* picture = dialog.findChild<HandheldPictureWindow*>();
                if (!picture) return app.quit();
                picture->move(dialog.frameGeometry().right() + 8, 0);
                QObject::connect(picture, &HandheldPictureWindow::pictureShown, [&, picture] {
                    QTimer::singleShot(300, [&, picture] {
                        status = Grab(*picture, argv[5]) ? 0 : 1;
                        app.quit();
                    });
                });
            });
        });
    });
    app.exec();
    return status;
}
