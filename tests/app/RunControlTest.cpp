// Running a conversion from the dialog, with stand-in workers that script the notices a real
// run sends: the checks before a run, the locked dialog, aborting, and the reports at the end.
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <future>
#include <thread>

#include "platform/ConvertNotify.h"
#include "platform/AbortEvent.h"
#include "platform/RunState.h"
#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"

namespace {

// The controls a run locks, in the dialog's order.
constexpr int kLockedControls[] = {kMovieFileEdit,  kBrowseMovieButton, kOutputFileEdit, kBrowseOutputButton, kRomNameEdit,
                                   kBitrateEdit,    kControlsCheck,     kNoResizeRadio,     kKeepAspectRadio, kIgnoreAspectRadio, kManualSettingRadio,
                                   kTrimmingList,   kTrimTopEdit,       kTrimBottomEdit,  kTrimLeftEdit,      kTrimRightEdit,
                                   kResizeCheck,    kWidthEdit,         kHeightEdit,      kFrameRateList,     kPreFilterList,
                                   kScreenList,     kBrightnessEdit,    kGammaEdit,       kSaturationEdit,    kSoundList,
                                   kProcessButton};

// A worker that ends the way the job would: with ErrorDetail and AbortRequested as the run
// left them, then one completion notice.
MainDialog::WorkerProcedure EndingWith(int code, std::string detail = {}, bool aborted = false) {
    return [=](const ConversionRequest& request) {
        ErrorDetail = detail;
        AbortRequested = aborted;
        PostCompletion(request, code);
        return code;
    };
}

// A worker that waits until the test lets it finish, so the test sees the dialog mid-run.
struct HeldWorker {
    std::promise<int> release;
    std::shared_future<int> code = release.get_future().share();

    MainDialog::WorkerProcedure Procedure() {
        return [code = code](const ConversionRequest& request) {
            const int result = code.get();
            PostCompletion(request, result);
            return result;
        };
    }
};

// A worker that runs until its abort is signalled, as the job polls it at every step, and
// then ends as an aborted run does.
int RunUntilAborted(const ConversionRequest& request) {
    for (int wait = 0; wait < 1000 && !request.abortEvent->IsSignalled(); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    AbortRequested = request.abortEvent->IsSignalled();
    PostCompletion(request, 5);
    return 5;
}

int NiceOfThisThread() { return getpriority(PRIO_PROCESS, id_t(gettid())); }

void SetPaths(DialogFixture& f, const QString& movie = "/tmp/in.avi", const QString& output = "/nonexistent-folder/out.gba") {
    f.Edit(kMovieFileEdit).setText(movie);
    f.Edit(kOutputFileEdit).setText(output);
}

}  // namespace

class RunControlTest : public QObject {
    Q_OBJECT
private slots:
    void EmptyPathsDoNothing();
    void MultipleOf4IsCheckedInManualOnly();
    void OverwriteQuestionNamesThePathAndDefaultsToNo();
    void RunLocksTheDialogAndRunsTheWorkerIdle();
    void ExitAndCloseAbortWhileRunning();
    void OutputThatIsTheMovieIsRefused();
    void SuccessShowsNoBoxAndRestoresTheDialog();
    void ErrorReportsCarryTheCodeAndDetail_data();
    void ErrorReportsCarryTheCodeAndDetail();
    void TitleFollowsProgressOncePerPercent();
    void StatusTextIsReadWhileTheSenderWaits();
    void ExitWhileIdleEndsTheDialog();
};

void RunControlTest::EmptyPathsDoNothing() {
    DialogFixture f;
    ModalWatcher watcher;
    f.Edit(kOutputFileEdit).setText("/tmp/out.gba");
    f.Click(kProcessButton);
    SetPaths(f, "/tmp/in.avi", "");
    f.Click(kProcessButton);
    QTest::qWait(50);
    QCOMPARE(f.WorkerCalls(), 0);
    QVERIFY(watcher.Boxes().empty());
    QVERIFY(f.Button(kProcessButton).isEnabled());
}

void RunControlTest::MultipleOf4IsCheckedInManualOnly() {
    DialogFixture f;
    SetPaths(f);
    f.Click(kManualSettingRadio);
    // The resize check box stays on: the sizes will not be used, and are still checked.
    QVERIFY(f.Button(kResizeCheck).isChecked());
    f.Click(kResizeCheck);
    TypeInto(f.Edit(kWidthEdit), "238");
    f.Click(kResizeCheck);
    {
        ModalWatcher watcher;
        f.Click(kProcessButton);
        QCOMPARE(watcher.Boxes().size(), size_t(1));
        QCOMPARE(watcher.Boxes()[0].text, QStringLiteral("リサイズ後のピクセルサイズは４の倍数である必要があります"));
        QCOMPARE(watcher.Boxes()[0].title, QStringLiteral("パラメータエラー"));
        QCOMPARE(watcher.Boxes()[0].icon, QMessageBox::Critical);
        QCOMPARE(f.WorkerCalls(), 0);
    }
    // "No resize" keeps the width 238 but makes no such check.
    f.Click(kNoResizeRadio);
    QCOMPARE(f.Edit(kWidthEdit).text(), QStringLiteral("238"));
    ModalWatcher watcher;
    f.Click(kProcessButton);
    QTRY_COMPARE(f.WorkerCalls(), 1);
    // The title reads "KAVRO" before the run as after it: the Exit caption tells the run's end.
    QTRY_COMPARE(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"));
    QCOMPARE(f.Dialog().windowTitle(), QStringLiteral("KAVRO"));
    QVERIFY(watcher.Boxes().empty());
}

void RunControlTest::OverwriteQuestionNamesThePathAndDefaultsToNo() {
    QTemporaryDir folder;
    const QString output = folder.filePath("existing.gba");
    QFile(output).open(QIODevice::WriteOnly);
    DialogFixture f;
    SetPaths(f, "/tmp/in.avi", output);
    {
        ModalWatcher watcher;  // presses Enter: the default answer
        f.Click(kProcessButton);
        QCOMPARE(watcher.Boxes().size(), size_t(1));
        const SeenMessageBox& box = watcher.Boxes()[0];
        QCOMPARE(box.text, QStringLiteral("出力先ファイル\n\n    %1\n\nが既に存在します。上書きしてもよろしいですか？").arg(output));
        QCOMPARE(box.title, QStringLiteral("上書き確認"));
        QCOMPARE(box.icon, QMessageBox::Question);
        QCOMPARE(box.defaultButton, QMessageBox::No);
        QTest::qWait(50);
        QCOMPARE(f.WorkerCalls(), 0);
        QVERIFY(f.Button(kProcessButton).isEnabled());
    }
    ModalWatcher yes(nullptr, [](QWidget& box) {
        QTest::mouseClick(dynamic_cast<QMessageBox&>(box).button(QMessageBox::Yes), Qt::LeftButton);
    });
    f.Click(kProcessButton);
    QTRY_COMPARE(f.WorkerCalls(), 1);
    // A folder in the output's place is not asked about.
    SetPaths(f, "/tmp/in.avi", folder.path());
    QTRY_VERIFY(f.Button(kProcessButton).isEnabled());
    f.Click(kProcessButton);
    QTRY_COMPARE(f.WorkerCalls(), 2);
    QCOMPARE(yes.Boxes().size(), size_t(1));
}

void RunControlTest::RunLocksTheDialogAndRunsTheWorkerIdle() {
    HeldWorker held;
    std::atomic<int> policy{-1};
    std::atomic<int> nice{-100};
    std::atomic<bool> otherThread{false};
    const std::thread::id dialogThread = std::this_thread::get_id();
    const int dialogNice = NiceOfThisThread();
    DialogFixture f([&, inner = held.Procedure()](const ConversionRequest& request) {
        policy = sched_getscheduler(0);
        nice = NiceOfThisThread();
        otherThread = std::this_thread::get_id() != dialogThread;
        return inner(request);
    });
    SetPaths(f);
    TypeInto(f.Edit(kBitrateEdit), "0");  // passes the dialog; the encoder refuses it later
    f.Click(kProcessButton);
    QTRY_COMPARE(f.WorkerCalls(), 1);
    for (int id : kLockedControls) QVERIFY2(!f.Control(id).isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(f.Button(kExitButton).isEnabled());
    QCOMPARE(f.Button(kExitButton).text(), QStringLiteral("中断(&B)"));
    QCOMPARE(f.Dialog().windowTitle(), QStringLiteral("KAVRO"));  // untouched until the first progress
    // The weakest nice value, which still shares a busy processor; the dialog keeps its own.
    QTRY_COMPARE(nice.load(), 19);
    QCOMPARE(policy.load(), SCHED_OTHER);
    QCOMPARE(NiceOfThisThread(), dialogNice);
    QVERIFY(otherThread);

    ModalWatcher watcher;
    held.release.set_value(3);
    QTRY_COMPARE(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"));
    QCOMPARE(watcher.Boxes().size(), size_t(1));
    QCOMPARE(watcher.Boxes()[0].text, QStringLiteral("変換中にエラーが発生しました(3)"));
    QVERIFY(f.Button(kProcessButton).isEnabled());
    // The preset's enabling is back: "No resize" leaves the manual controls disabled.
    QVERIFY(!f.Control(kTrimmingList).isEnabled());
    QVERIFY(f.Control(kBitrateEdit).isEnabled());
}

void RunControlTest::ExitAndCloseAbortWhileRunning() {
    // The Exit button, closing the window and Escape each abort the run at whatever step it is;
    // the window stays open until the run has ended, and then says so.
    const std::function<void(DialogFixture&)> requests[] = {
        [](DialogFixture& f) { f.Click(kExitButton); },
        [](DialogFixture& f) { QVERIFY(!f.Dialog().close()); },
        [](DialogFixture& f) { QTest::keyClick(&f.Dialog(), Qt::Key_Escape); },
    };
    DialogFixture f(RunUntilAborted);
    SetPaths(f);
    for (const auto& request : requests) {
        ModalWatcher watcher;
        f.Click(kProcessButton);
        QTRY_COMPARE(f.Button(kExitButton).text(), QStringLiteral("中断(&B)"));
        request(f);
        QVERIFY(f.Dialog().isVisible());
        QTRY_COMPARE(watcher.Boxes().size(), size_t(1));
        QCOMPARE(watcher.Boxes()[0].text, QStringLiteral("変換処理は中断されました"));
        QCOMPARE(watcher.Boxes()[0].title, QStringLiteral("KAVRO"));
        QCOMPARE(watcher.Boxes()[0].icon, QMessageBox::Critical);
        QTRY_VERIFY(f.Button(kProcessButton).isEnabled());
        QVERIFY(f.Dialog().isVisible());
    }
    QCOMPARE(f.WorkerCalls(), 3);
    AbortRequested = false;
}

void RunControlTest::OutputThatIsTheMovieIsRefused() {
    QTemporaryDir folder;
    const QString movie = folder.filePath("movie.avi");
    QFile(movie).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(movie, folder.filePath("link.gba")));
    QCOMPARE(::link(movie.toUtf8().constData(), folder.filePath("hard.gba").toUtf8().constData()), 0);
    DialogFixture f;
    for (const QString& output : {movie, folder.filePath("link.gba"), folder.filePath("hard.gba")}) {
        SetPaths(f, movie, output);
        ModalWatcher watcher;  // the overwrite question would come first if the refusal did not
        f.Click(kProcessButton);
        QCOMPARE(watcher.Boxes().size(), size_t(1));
        QVERIFY2(watcher.Boxes()[0].text.contains(output), qPrintable(watcher.Boxes()[0].text));
        QVERIFY(watcher.Boxes()[0].text.contains(QStringLiteral("ムービーファイルそのもの")));
        QCOMPARE(watcher.Boxes()[0].icon, QMessageBox::Critical);
    }
    QTest::qWait(50);
    QCOMPARE(f.WorkerCalls(), 0);
}

void RunControlTest::SuccessShowsNoBoxAndRestoresTheDialog() {
    DialogFixture f([](const ConversionRequest& request) {
        for (int thousandths : {0, 250, 500, 1000}) SendConvertNotify(NOTIFY_PROGRESS, thousandths);
        PostCompletion(request, 0);
        return 0;
    });
    SetPaths(f);
    f.Click(kManualSettingRadio);
    ChooseListItem(f.List(kTrimmingList), 3);
    ModalWatcher watcher;
    QSignalSpy titles(&f.Dialog(), &QWidget::windowTitleChanged);
    f.Click(kProcessButton);
    QTRY_COMPARE(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"));
    QVERIFY(watcher.Boxes().empty());
    QCOMPARE(f.Dialog().windowTitle(), QStringLiteral("KAVRO"));
    QCOMPARE(f.Progress().value(), 0);
    QStringList seen;
    for (const QList<QVariant>& title : titles) seen << title[0].toString();
    QCOMPARE(seen, QStringList({"0% - 変換中 - KAVRO", "25% - 変換中 - KAVRO", "50% - 変換中 - KAVRO", "100% - 変換中 - KAVRO", "KAVRO"}));
    // Manual with trimming mode 3: the trim edits are enabled again after the run.
    QVERIFY(f.Edit(kTrimTopEdit).isEnabled());
    QVERIFY(f.Edit(kMovieFileEdit).isEnabled());
}

void RunControlTest::ErrorReportsCarryTheCodeAndDetail_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("with detail") << 4 << "Invalid data found when processing input" << "エラー"
                                 << "変換中にエラーが発生しました(4)\nInvalid data found when processing input";
    QTest::newRow("without detail") << 1001 << "" << "エラー" << "変換中にエラーが発生しました(1001)";
}

void RunControlTest::ErrorReportsCarryTheCodeAndDetail() {
    QFETCH(int, code);
    QFETCH(QString, detail);
    QFETCH(QString, title);
    QFETCH(QString, text);
    DialogFixture f(EndingWith(code, detail.toStdString()));
    SetPaths(f);
    ModalWatcher watcher;
    f.Click(kProcessButton);
    QTRY_COMPARE(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"));
    QCOMPARE(watcher.Boxes().size(), size_t(1));
    QCOMPARE(watcher.Boxes()[0].title, title);
    QCOMPARE(watcher.Boxes()[0].text, text);
    QCOMPARE(watcher.Boxes()[0].icon, QMessageBox::Critical);
    QCOMPARE(f.Dialog().windowTitle(), QStringLiteral("KAVRO"));
    // The dialog stays usable: a second run starts and starts clean.
    f.Click(kProcessButton);
    QTRY_COMPARE(f.WorkerCalls(), 2);
}

void RunControlTest::TitleFollowsProgressOncePerPercent() {
    std::vector<int> script;
    for (int value = 369; value <= 379; ++value) script.push_back(value);
    script.insert(script.end(), {999, 1000, 1005});
    DialogFixture f([&script](const ConversionRequest& request) {
        for (int thousandths : script) SendConvertNotify(NOTIFY_PROGRESS, thousandths);
        PostCompletion(request, 0);
        return 0;
    });
    SetPaths(f);
    QSignalSpy titles(&f.Dialog(), &QWidget::windowTitleChanged);
    QSignalSpy bar(&f.Progress(), &QProgressBar::valueChanged);
    f.Click(kProcessButton);
    // The title reads "KAVRO" before the run as after it: the Exit caption tells the run's end.
    QTRY_COMPARE(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"));
    QCOMPARE(f.Dialog().windowTitle(), QStringLiteral("KAVRO"));
    QStringList seen;
    for (const QList<QVariant>& title : titles) seen << title[0].toString();
    QCOMPARE(seen, QStringList({"36% - 変換中 - KAVRO", "37% - 変換中 - KAVRO", "99% - 変換中 - KAVRO", "100% - 変換中 - KAVRO",
                                "KAVRO"}));
    // Every notice moves the bar; a value past the end holds it full.
    QCOMPARE(bar.size(), 14);
    QCOMPARE(bar.at(12)[0].toInt(), 1000);

    // A second run rewrites the title at its first notice, whatever the last percent was.
    script = {1000};
    titles.clear();
    f.Click(kProcessButton);
    QTRY_COMPARE(titles.size(), 2);
    QCOMPARE(titles.at(0)[0].toString(), QStringLiteral("100% - 変換中 - KAVRO"));
}

void RunControlTest::StatusTextIsReadWhileTheSenderWaits() {
    DialogFixture f([](const ConversionRequest& request) {
        char text[64];
        std::strcpy(text, "音声のノーマライズ中...");
        SendConvertStatus(text);
        // Reused at once: the dialog must have read it before Send returned.
        std::strcpy(text, "音声の変換中...");
        SendConvertStatus(text);
        std::memset(text, 0, sizeof text);
        PostCompletion(request, 0);
        return 0;
    });
    SetPaths(f);
    QSignalSpy titles(&f.Dialog(), &QWidget::windowTitleChanged);
    f.Click(kProcessButton);
    // The title reads "KAVRO" before the run as after it: the Exit caption tells the run's end.
    QTRY_COMPARE(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"));
    QCOMPARE(f.Dialog().windowTitle(), QStringLiteral("KAVRO"));
    QCOMPARE(titles.size(), 3);
    QCOMPARE(titles.at(0)[0].toString(), QStringLiteral("音声のノーマライズ中... - KAVRO"));
    QCOMPARE(titles.at(1)[0].toString(), QStringLiteral("音声の変換中... - KAVRO"));
}

void RunControlTest::ExitWhileIdleEndsTheDialog() {
    {
        DialogFixture f;
        f.Click(kExitButton);
        QVERIFY(!f.Dialog().isVisible());
        QCOMPARE(f.Dialog().result(), 0);
    }
    DialogFixture f(EndingWith(6));
    SetPaths(f);
    ModalWatcher watcher;
    f.Click(kProcessButton);
    QTRY_COMPARE(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"));
    QVERIFY(f.Dialog().close());
    QVERIFY(!f.Dialog().isVisible());
}

KAVRO_TEST_SUITE(RunControlTest);
#include "RunControlTest.moc"
