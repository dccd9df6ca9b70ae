// Takes docs/dialog.png: the dialog filled in as a user fills it, in Manual setting with the
// longest trimming mode chosen and the pictures made for the unlit screen, as the X server
// draws it. Run under Xvfb by make-dialog-screenshot.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog_screenshot OUTPUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    MainDialog dialog([](const ConversionRequest&) { return 0; });
    dialog.move(0, 0);
    dialog.show();
    Control<QLineEdit>(dialog, kMovieFileEdit).setText(QStringLiteral("/home/aiko/Videos/hanabi.mp4"));
    Control<QLineEdit>(dialog, kOutputFileEdit).setText(QStringLiteral("/home/aiko/hanabi.gba"));
    Control<QLineEdit>(dialog, kRomNameEdit).setText(QStringLiteral("HANABI"));
    // Manual: margins cut by hand, then to the screen's aspect.
    Control<QAbstractButton>(dialog, kManualSettingRadio).click();
    auto& trimming = Control<QComboBox>(dialog, kTrimmingList);
    trimming.setCurrentIndex(2);
    emit trimming.activated(2);
    Control<QLineEdit>(dialog, kTrimTopEdit).setText(QStringLiteral("16"));
    Control<QLineEdit>(dialog, kTrimBottomEdit).setText(QStringLiteral("24"));
    // Made for the unlit screen.
    Control<QComboBox>(dialog, kScreenList).setCurrentIndex(1);
    int status = 1;
    QTimer::singleShot(500, [&] {
        const QPixmap shot = dialog.screen()->grabWindow(0, 0, 0, dialog.frameGeometry().width(), dialog.frameGeometry().height());
        status = shot.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
