// What the dialog tells before converting: the chosen movie's facts, the estimate of the image
// as the settings change, in red with the reason when it will not fit, and a cartridge size
// that fills and locks the bitrate; the start and end times checked before a run.
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "job/CartridgeFit.h"
#include "job/ConversionPlan.h"
#include "job/ConversionSettings.h"
#include "job/ConversionWorker.h"
#include "job/PlanSummary.h"
#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"
#include "tests/source/FixtureMovies.h"

namespace {

constexpr int kAnswerMs = 10000;
constexpr uint64_t k4MiB = 4u << 20;

// A small AVI of `seconds` at 10 fps, with sound.
QString WriteMovie(const QTemporaryDir& folder, const char* name, int seconds) {
    FixtureMovie movie;
    movie.video->width = 64;
    movie.video->height = 48;
    movie.video->frameRate = {10, 1};
    movie.video->frameCount = seconds * 10;
    movie.audio = FixtureAudio{.sampleRate = 8000, .channelMask = AV_CH_LAYOUT_MONO, .toneHz = {440.0},
                               .sampleCount = seconds * 8000};
    const QString path = folder.filePath(name);
    std::string message;
    if (WriteFixtureMovie(path.toStdString(), movie, message) != FixtureStatus::Written) qFatal("%s", message.c_str());
    return path;
}

struct Expected {
    QString facts;
    QString estimate;
    uint32_t bytesPerSecond = 0;
};

// What the planner says of the movie with these settings (fitting `fitBytes` when given).
Expected PlanOf(const QString& path, ConversionRequest request) {
    request.moviePath = path.toStdString();
    MovieFacts facts;
    std::string error;
    if (!ReadMovieFacts(request.moviePath, nullptr, facts, error)) qFatal("%s", error.c_str());
    ConversionPlan plan;
    const JobArguments arguments = MapRequest(request, "");
    const uint64_t size = uint64_t(request.fitBytes);
    if ((size > 0 ? PlanToFit(facts, arguments, size, plan, error) : PlanConversion(facts, arguments, plan, error)) != kCompleted)
        qFatal("%s", error.c_str());
    return {QString::fromStdString(FactsLine(facts, plan.video)), QString::fromStdString(EstimateLine(plan, size).text),
            uint32_t(BytesPerSecond(plan.video))};
}

QLabel& Label(DialogFixture& f, int id) { return *FindControl<QLabel>(f.Dialog(), id); }

bool IsRed(const QLabel& label) {
    const QColor colour = label.palette().color(QPalette::WindowText);
    return colour.red() >= 160 && colour.green() < 64 && colour.blue() < 64;
}

}  // namespace

class EstimateTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void FactsOfTheLatestMovieChosen();
    void EstimateFollowsTheSettings();
    void TooLongMovieShowsWhyInRed();
    void ChoosingASizeFillsAndLocksTheBitrate();
    void StartAndEndAreCheckedBeforeARun();

private:
    QTemporaryDir folder;
    QString shortMovie;  // 20 s
    QString longMovie;   // 80 s: more than 32 MiB at 500 KB/s
};

void EstimateTest::initTestCase() {
    shortMovie = WriteMovie(folder, "short.avi", 20);
    longMovie = WriteMovie(folder, "long.avi", 80);
}

void EstimateTest::FactsOfTheLatestMovieChosen() {
    DialogFixture f;
    QLabel& facts = Label(f, kMovieFactsLabel);
    QVERIFY(facts.text().isEmpty());
    // Two movies one after the other: the answer for the first, if it comes, gives way.
    DropPaths(f.Edit(kMovieFileEdit), {shortMovie});
    DropPaths(f.Edit(kMovieFileEdit), {longMovie});
    const Expected expected = PlanOf(longMovie, {});
    QTRY_COMPARE_WITH_TIMEOUT(facts.text(), expected.facts, kAnswerMs);
    QCOMPARE(facts.text(), QStringLiteral("0:01:20 ・ 64×48 ・ 10 fps ・ PCM 8 kHz mono"));
    QTest::qWait(500);
    QCOMPARE(facts.text(), expected.facts);
    QCOMPARE(Label(f, kEstimateLabel).text(), expected.estimate);

    // A path that names no file says nothing.
    TypeInto(f.Edit(kMovieFileEdit), folder.filePath("none.avi"));
    QTRY_VERIFY_WITH_TIMEOUT(facts.text().isEmpty(), kAnswerMs);
    QVERIFY(Label(f, kEstimateLabel).text().isEmpty());
}

void EstimateTest::EstimateFollowsTheSettings() {
    DialogFixture f;
    QLabel& estimate = Label(f, kEstimateLabel);
    DropPaths(f.Edit(kMovieFileEdit), {shortMovie});
    const Expected at120 = PlanOf(shortMovie, {});
    QTRY_COMPARE_WITH_TIMEOUT(estimate.text(), at120.estimate, kAnswerMs);
    QVERIFY(QRegularExpression(QStringLiteral("^推定 \\d+\\.\\d MB ・ 2\\d秒 ・ 32 MB に収まります$")).match(estimate.text()).hasMatch());
    QVERIFY(!IsRed(estimate));

    TypeInto(f.Edit(kBitrateEdit), "40");
    ConversionRequest changed;
    changed.bitrate = 40;
    const Expected at40 = PlanOf(shortMovie, changed);
    QVERIFY(at40.estimate != at120.estimate);
    QTRY_COMPARE_WITH_TIMEOUT(estimate.text(), at40.estimate, kAnswerMs);

    // A part of the movie, and a picture setting.
    TypeInto(f.Edit(kStartTimeEdit), "5");
    TypeInto(f.Edit(kEndTimeEdit), "0:00:12.5");
    f.Click(kKeepAspectRadio);
    changed.startTime = "5";
    changed.endTime = "0:00:12.5";
    changed.pictureMode = 1;
    ApplyPresetValues(changed);
    const Expected part = PlanOf(shortMovie, changed);
    QTRY_COMPARE_WITH_TIMEOUT(estimate.text(), part.estimate, kAnswerMs);
    QVERIFY(estimate.text().contains(QStringLiteral(" ・ 7秒 ・ ")));

    // A field at fault takes the estimate's place, in red, until it is mended.
    TypeInto(f.Edit(kBitrateEdit), "600");
    QTRY_COMPARE_WITH_TIMEOUT(estimate.text(), QStringLiteral("0 から 500 までの整数を入力してください。"), kAnswerMs);
    QVERIFY(IsRed(estimate));
    TypeInto(f.Edit(kBitrateEdit), "40");
    QTRY_COMPARE_WITH_TIMEOUT(estimate.text(), part.estimate, kAnswerMs);
    QVERIFY(!IsRed(estimate));
}

void EstimateTest::TooLongMovieShowsWhyInRed() {
    DialogFixture f;
    QLabel& estimate = Label(f, kEstimateLabel);
    TypeInto(f.Edit(kBitrateEdit), "500");
    DropPaths(f.Edit(kMovieFileEdit), {longMovie});
    ConversionRequest request;
    request.bitrate = 500;
    const Expected expected = PlanOf(longMovie, request);
    QTRY_COMPARE_WITH_TIMEOUT(estimate.text(), expected.estimate, kAnswerMs);
    QVERIFY2(estimate.text().contains(QStringLiteral("32 MB に収まりません（この設定で収まるのは 1分")), qPrintable(estimate.text()));
    QVERIFY(IsRed(estimate));
    // At a bitrate that fits, the warning goes.
    TypeInto(f.Edit(kBitrateEdit), "120");
    QTRY_VERIFY_WITH_TIMEOUT(estimate.text().endsWith(QStringLiteral("32 MB に収まります")), kAnswerMs);
    QVERIFY(!IsRed(estimate));
}

void EstimateTest::ChoosingASizeFillsAndLocksTheBitrate() {
    std::optional<ConversionRequest> handed;
    DialogFixture f([&handed](const ConversionRequest& request) {
        handed = request;
        PostCompletion(request, 0);
        return 0;
    });
    QComboBox& sizes = f.List(kCartridgeSizeList);
    QCOMPARE(ListItems(sizes), QStringList({"指定しない", "4 MB", "8 MB", "16 MB", "32 MB"}));
    QCOMPARE(sizes.currentIndex(), 0);

    DropPaths(f.Edit(kMovieFileEdit), {longMovie});
    TypeInto(f.Edit(kOutputFileEdit), folder.filePath("long.gba"));
    ChooseListItem(sizes, 1);
    QVERIFY(!f.Edit(kBitrateEdit).isEnabled());
    ConversionRequest fitted;
    fitted.fitBytes = int32_t(k4MiB);
    const Expected expected = PlanOf(longMovie, fitted);
    const QString bitrate = QString::number(expected.bytesPerSecond / 1024);
    QVERIFY(bitrate != QStringLiteral("120"));
    QTRY_COMPARE_WITH_TIMEOUT(f.Edit(kBitrateEdit).text(), bitrate, kAnswerMs);
    QTRY_COMPARE_WITH_TIMEOUT(Label(f, kEstimateLabel).text(), expected.estimate, kAnswerMs);
    QVERIFY(Label(f, kEstimateLabel).text().endsWith(QStringLiteral("4 MB に収まります")));

    // The run is asked to fit the size; afterwards the bitrate stays locked.
    ModalWatcher watcher;
    f.Click(kProcessButton);
    QTRY_COMPARE_WITH_TIMEOUT(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"), 5000);
    QVERIFY(handed.has_value());
    QCOMPARE(handed->fitBytes, int32_t(k4MiB));
    QVERIFY(!f.Edit(kBitrateEdit).isEnabled());

    ChooseListItem(sizes, 0);
    QVERIFY(f.Edit(kBitrateEdit).isEnabled());
    QCOMPARE(f.Edit(kBitrateEdit).text(), bitrate);
}

void EstimateTest::StartAndEndAreCheckedBeforeARun() {
    DialogFixture f;
    DropPaths(f.Edit(kMovieFileEdit), {shortMovie});
    TypeInto(f.Edit(kOutputFileEdit), folder.filePath("short.gba"));
    TypeInto(f.Edit(kStartTimeEdit), "1:75");
    {
        ModalWatcher watcher;
        f.Click(kProcessButton);
        QTRY_COMPARE(watcher.Boxes().size(), size_t(1));
        QCOMPARE(watcher.Boxes()[0].text,
                 QStringLiteral("「1:75」は時刻として読めません。秒 (90.5) か 時:分:秒 (1:02:03.250) で入力してください。"));
    }
    QCOMPARE(f.Dialog().focusWidget(), &f.Edit(kStartTimeEdit));
    TypeInto(f.Edit(kStartTimeEdit), "10");
    TypeInto(f.Edit(kEndTimeEdit), "0:00:04");
    {
        ModalWatcher watcher;
        f.Click(kProcessButton);
        QTRY_COMPARE(watcher.Boxes().size(), size_t(1));
        QCOMPARE(watcher.Boxes()[0].title, QStringLiteral("パラメータエラー"));
        QCOMPARE(watcher.Boxes()[0].text, QStringLiteral("終了 (0:00:04) は開始 (0:00:10) より後の時刻にしてください。"));
    }
    QCOMPARE(f.WorkerCalls(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(IsRed(Label(f, kEstimateLabel)), kAnswerMs);
}

KAVRO_TEST_SUITE(EstimateTest);
#include "EstimateTest.moc"
