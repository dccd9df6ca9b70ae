// Takes the dialog's pictures in docs/, as the X server draws them (run under Xvfb by
// make-dialog-screenshot):
//   dialog_screenshot OUTPUT.png          the dialog filled in as a user fills it, in Manual
//                                         setting with the longest trimming mode chosen and
//                                         the pictures made for the unlit screen;
//   dialog_screenshot OUTPUT.png MOVIE    a movie chosen and fitted to a 4 MB cartridge, once
//                                         its facts and the estimate are shown.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "app/ControlIds.h"
#include "app/MainDialog.h"

namespace {

template <class T>
T& Control(QWidget& dialog, int id) {
    return *dialog.findChild<T*>(QString::number(id));
}

void FillInPaths(MainDialog& dialog, const QString& movie, const QString& output, const QString& romName) {
    Control<QLineEdit>(dialog, kMovieFileEdit).setText(movie);
    Control<QLineEdit>(dialog, kOutputFileEdit).setText(output);
    Control<QLineEdit>(dialog, kRomNameEdit).setText(romName);
}

void FillInManual(MainDialog& dialog) {
    FillInPaths(dialog, QStringLiteral("/home/aiko/Videos/hanabi.mp4"), QStringLiteral("/home/aiko/hanabi.gba"),
                QStringLiteral("HANABI"));
    // Manual: margins cut by hand, then to the screen's aspect.
    Control<QAbstractButton>(dialog, kManualSettingRadio).click();
    auto& trimming = Control<QComboBox>(dialog, kTrimmingList);
    trimming.setCurrentIndex(2);
    emit trimming.activated(2);
    Control<QLineEdit>(dialog, kTrimTopEdit).setText(QStringLiteral("16"));
    Control<QLineEdit>(dialog, kTrimBottomEdit).setText(QStringLiteral("24"));
    // Made for the unlit screen.
    Control<QComboBox>(dialog, kScreenList).setCurrentIndex(1);
}

void FillInFitted(MainDialog& dialog, const QString& movie) {
    FillInPaths(dialog, movie, QStringLiteral("/home/aiko/sample.gba"), QStringLiteral("SAMPLE"));
    Control<QAbstractButton>(dialog, kKeepAspectRadio).click();
    auto& sizes = Control<QComboBox>(dialog, kCartridgeSizeList);
    sizes.setCurrentIndex(1);
    emit sizes.activated(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: dialog_screenshot OUTPUT.png [MOVIE]\n");
        return 2;
    }
    QApplication app(argc, argv);
    MainDialog dialog([](const ConversionRequest&) { return 0; });
    dialog.move(0, 0);
    dialog.show();
    if (argc == 3) FillInFitted(dialog, QString::fromLocal8Bit(argv[2]));
    else FillInManual(dialog);
    int status = 1;
    QTimer poll;
    // The picture is taken once the window is drawn and, with a movie, the estimate is shown.
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (argc == 3 && Control<QLabel>(dialog, kEstimateLabel).text().isEmpty()) return;
        poll.stop();
        QTimer::singleShot(300, [&] {
            const QPixmap shot = dialog.screen()->grabWindow(0, 0, 0, dialog.frameGeometry().width(), dialog.frameGeometry().height());
            status = shot.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
            app.quit();
        });
    });
    poll.start(200);
    app.exec();
    return status;
}
