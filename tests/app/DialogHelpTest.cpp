// What the dialog does for a user beyond the template: an output path offered for the chosen
// movie, the extension a typed output path leaves out, and a hint on each setting.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"

class DialogHelpTest : public QObject {
    Q_OBJECT
private slots:
    void AChosenMovieOffersItsImagePath();
    void ATypedOutputPathGetsTheExtension_data();
    void ATypedOutputPathGetsTheExtension();
    void SettingsCarryOneSentenceHints();
};

void DialogHelpTest::AChosenMovieOffersItsImagePath() {
    QTemporaryDir folder;
    DialogFixture f;
    DropPaths(f.Edit(kMovieFileEdit), {"/films/holiday.2024.mp4"});
    QCOMPARE(f.Edit(kOutputFileEdit).text(), QStringLiteral("/films/holiday.2024.gba"));
    // A path already there is the user's: another movie leaves it.
    DropPaths(f.Edit(kMovieFileEdit), {"/films/other.avi"});
    QCOMPARE(f.Edit(kOutputFileEdit).text(), QStringLiteral("/films/holiday.2024.gba"));

    // Browse offers it too.
    const QString movie = folder.filePath("clip.mpg");
    QFile(movie).open(QIODevice::WriteOnly);
    f.Edit(kOutputFileEdit).clear();
    ModalWatcher choose([&](QWidget& window) { AcceptFileDialog(window, movie); });
    f.Click(kBrowseMovieButton);
    QCOMPARE(f.Edit(kOutputFileEdit).text(), folder.filePath("clip.gba"));
}

void DialogHelpTest::ATypedOutputPathGetsTheExtension_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no extension") << "/tmp/kavro-none/movie" << "/tmp/kavro-none/movie.gba";
    QTest::newRow("a trailing dot") << "/tmp/kavro-none/movie." << "/tmp/kavro-none/movie.gba";
    QTest::newRow("a dot in the folder only") << "/tmp/kavro.d/movie" << "/tmp/kavro.d/movie.gba";
    QTest::newRow("another extension stays") << "/tmp/kavro-none/movie.bin" << "/tmp/kavro-none/movie.bin";
    QTest::newRow("a folder stays") << QDir::tempPath() << QDir::tempPath();
    QTest::newRow("a path ending in a separator stays") << "/tmp/kavro-none/" << "/tmp/kavro-none/";
}

void DialogHelpTest::ATypedOutputPathGetsTheExtension() {
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    DialogFixture f;
    TypeInto(f.Edit(kOutputFileEdit), typed);
    QCOMPARE(f.Edit(kOutputFileEdit).text(), typed);  // not while typing
    QTest::keyClick(&f.Edit(kOutputFileEdit), Qt::Key_Tab);
    QCOMPARE(f.Edit(kOutputFileEdit).text(), expected);
}

void DialogHelpTest::SettingsCarryOneSentenceHints() {
    DialogFixture f;
    for (int id : {kBitrateEdit, kNoResizeRadio, kKeepAspectRadio, kIgnoreAspectRadio, kManualSettingRadio, kFrameRateList,
                   kPreFilterList}) {
        const QString tip = f.Control(id).toolTip();
        QVERIFY2(tip.endsWith(u'。') && tip.count(u'。') == 1, qPrintable(QString::number(id) + ": " + tip));
    }
}

KAVRO_TEST_SUITE(DialogHelpTest);
#include "DialogHelpTest.moc"
