// What a successful run leaves in the dialog: the summary of the image it made, with the
// figures kavro-cli inspect tells, until the next run; and the image playing in a window of
// its own, as the headless core plays it, until the window is closed.
#include <QComboBox>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QTest>

#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "app/PlayWindow.h"
#include "job/ConversionWorker.h"
#include "preview/HandheldCore.h"
#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"
#include "tests/source/FixtureMovies.h"
#include "video/ScreenModel.h"

namespace {

std::vector<uint8_t> ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QJsonObject Inspect(const QString& image) {
    QProcess cli;
    cli.start(KAVRO_CLI_PATH, {"inspect", image, "--json"});
    if (!cli.waitForFinished(60000)) return {};
    return QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
}

QString LabelText(MainDialog& dialog, int id) { return FindControl<QLabel>(dialog, id)->text(); }

// The headless core's screen once its refresh count reaches `refreshes`, as the window draws it.
QImage HeadlessScreen(const std::vector<uint8_t>& image, uint32_t refreshes) {
    HandheldCoreLoad load = HandheldCore::Load(image);
    while (load.core->RefreshCount() < refreshes) load.core->RunRefreshes(1);
    const std::vector<uint8_t> rgb = load.core->ScreenRgb24();
    return QImage(rgb.data(), int(handheld::kScreenWidth), int(handheld::kScreenHeight), int(handheld::kScreenWidth) * 3,
                  QImage::Format_RGB888)
        .copy();
}

}  // namespace

class RunOutcomeTest : public QObject {
    Q_OBJECT
public slots:
    // Stands in for the desktop's file manager.
    void OpenFolder(const QUrl& url) { openedFolders << url; }

private slots:
    void initTestCase();
    void SummaryTellsInspectsFiguresUntilTheNextRun();
    void PlayWindowShowsWhatTheCoreShowsAndClosingEndsIt();

private:
    QTemporaryDir folder;
    QString movie;
    QString output;
    QList<QUrl> openedFolders;
};

void RunOutcomeTest::initTestCase() {
    movie = folder.filePath("clip.avi");
    output = folder.filePath("clip.gba");
    FixtureMovie fixture;  // 128 x 96 raw pictures, 25 frames at 25 fps
    fixture.audio = FixtureAudio{};
    std::string message;
    QCOMPARE(WriteFixtureMovie(movie.toStdString(), fixture, message), FixtureStatus::Written);
}

void RunOutcomeTest::SummaryTellsInspectsFiguresUntilTheNextRun() {
    DialogFixture f(ConversionWorker);
    QVERIFY(!f.Button(kPlayButton).isEnabled());
    DropPaths(f.Edit(kMovieFileEdit), {movie});
    QCOMPARE(f.Edit(kOutputFileEdit).text(), output);
    f.Click(kKeepAspectRadio);
    {
        ModalWatcher watcher;
        f.Click(kProcessButton);
        QTRY_COMPARE_WITH_TIMEOUT(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"), 120000);
        QVERIFY(watcher.Boxes().empty());  // success: the beep, no box
    }

    const QJsonObject inspect = Inspect(output);
    QVERIFY(inspect["ok"].toBool());
    QCOMPARE(f.Edit(kSummaryPathEdit).text(), output);
    const QString size = LabelText(f.Dialog(), kSummarySizeLabel);
    QVERIFY2(size.contains(QLocale(QLocale::English).toString(inspect["imageBytes"].toInteger()) + " バイト"), qPrintable(size));
    QVERIFY2(size.contains("4 MB のカートリッジに収まります"), qPrintable(size));
    QCOMPARE(LabelText(f.Dialog(), kSummaryPictureLabel),
             QStringLiteral("画像: %1 × %2").arg(inspect["width"].toInt()).arg(inspect["height"].toInt()));
    QCOMPARE(LabelText(f.Dialog(), kSummaryRateLabel), QString::number(inspect["framesPerSecond"].toDouble(), 'f', 3) + " fps");
    QCOMPARE(LabelText(f.Dialog(), kSummaryTimeLabel),
             QStringLiteral("再生時間: %1 秒").arg(QString::number(inspect["movieSeconds"].toDouble(), 'f', 3)));
    QVERIFY(f.Button(kPlayButton).isEnabled());
    QDesktopServices::setUrlHandler("file", this, "OpenFolder");
    f.Click(kOpenFolderButton);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(openedFolders, QList<QUrl>{QUrl::fromLocalFile(folder.path())});

    // A failed run keeps its message box, and the summary of the earlier run is gone.
    f.Edit(kMovieFileEdit).setText(folder.filePath("missing.avi"));
    f.Edit(kOutputFileEdit).setText(folder.filePath("other.gba"));
    ModalWatcher watcher;
    f.Click(kProcessButton);
    QCOMPARE(f.Edit(kSummaryPathEdit).text(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"), 60000);
    QCOMPARE(watcher.Boxes().size(), size_t(1));
    QCOMPARE(watcher.Boxes().front().title, QStringLiteral("エラー"));
    QVERIFY(LabelText(f.Dialog(), kSummarySizeLabel).isEmpty());
    QVERIFY(!f.Button(kPlayButton).isEnabled());
}

void RunOutcomeTest::PlayWindowShowsWhatTheCoreShowsAndClosingEndsIt() {
    DialogFixture f(ConversionWorker);
    DropPaths(f.Edit(kMovieFileEdit), {folder.filePath("clip.avi")});
    TypeInto(f.Edit(kOutputFileEdit), folder.filePath("played"));  // the window plays played.gba
    QTest::keyClick(&f.Edit(kOutputFileEdit), Qt::Key_Tab);
    {
        ModalWatcher watcher;
        f.Click(kProcessButton);
        QTRY_COMPARE_WITH_TIMEOUT(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"), 120000);
    }
    f.Click(kPlayButton);
    QPointer<PlayWindow> window = f.Dialog().findChild<PlayWindow*>();
    QVERIFY(window);

    // The screens the window showed first, each with the refresh it was made at.
    std::vector<std::pair<uint32_t, QImage>> shown;
    connect(window, &PlayWindow::refreshShown, this, [&](uint32_t refresh) {
        if (shown.empty() || shown.back().first < 90) shown.emplace_back(refresh, window->Screen().copy());
    });
    QTRY_VERIFY_WITH_TIMEOUT(!shown.empty() && shown.back().first >= 90, 20000);
    const std::vector<uint8_t> image = ReadFile(folder.filePath("played.gba"));
    for (const size_t at : {size_t(0), shown.size() / 2, shown.size() - 1})
        QVERIFY2(shown[at].second == HeadlessScreen(image, shown[at].first), qPrintable(QString::number(shown[at].first)));
    // By a second and a half the movie is on the screen, not a black start-up.
    QVERIFY(shown.back().second.pixelColor(120, 80) != QColor(Qt::black));

    // Seen as the unlit screen shows it: the model's light of the same screen.
    window->findChild<QComboBox*>(QString::number(kPlayScreenLook))->setCurrentIndex(int(Screen::Gba));
    std::optional<std::pair<uint32_t, QImage>> unlit;
    connect(window, &PlayWindow::refreshShown, this, [&](uint32_t refresh) {
        if (!unlit) unlit.emplace(refresh, window->Screen().copy());
    });
    QTRY_VERIFY_WITH_TIMEOUT(unlit.has_value(), 5000);
    QImage expected = HeadlessScreen(image, unlit->first);
    for (int row = 0; row < expected.height(); ++row)
        ShowThroughScreen(Screen::Gba, std::span(expected.scanLine(row), size_t(expected.width()) * 3));
    QVERIFY(unlit->second == expected);
    QVERIFY(unlit->second != HeadlessScreen(image, unlit->first));

    QSignalSpy refreshes(window, &PlayWindow::refreshShown);
    window->close();
    QTRY_VERIFY(window.isNull());  // the core and its sound went with it
    QTest::qWait(100);
    QCOMPARE(refreshes.count(), 0);
}

KAVRO_TEST_SUITE(RunOutcomeTest);
#include "RunOutcomeTest.moc"
