// The main dialog's settings as the user meets them: defaults, the picture presets and the
// enabling rules, validation messages, the ROM name and path limits, drops and Browse.
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>

#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"

namespace {

constexpr int kManualControls[] = {kTrimmingList, kTrimTopEdit, kTrimBottomEdit, kTrimLeftEdit, kTrimRightEdit,
                                   kResizeCheck,  kWidthEdit,   kHeightEdit,     kFrameRateList, kPreFilterList};

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void StartsWithTheDefaults();
    void EveryItemAndCaptionShowsWhole();
    void ManualEnablesByTheDefaults();
    void AutomaticTrimmingForcesAutomaticSize();
    void ResizeCheckBoxGovernsTheSizeEdits();
    void PresetsOverwriteTrimsSizesAndLists();
    void ValidationMessages_data();
    void ValidationMessages();
    void RomNameIsUpperCaseAndStopsAt12Bytes();
    void DropsTakeTheFirstItemOnly();
    void OverlongDroppedPathIsShownThenRejected();
    void BrowseMovieTakesTheChosenFile();
    void BrowseOutputAddsTheExtension();
    void InvalidFieldBlocksBrowse();
};

void SettingsTest::StartsWithTheDefaults() {
    DialogFixture f;
    QCOMPARE(f.Dialog().windowTitle(), QStringLiteral("KAVRO"));
    QVERIFY(f.Button(kNoResizeRadio).isChecked());
    QVERIFY(f.Button(kResizeCheck).isChecked());
    QCOMPARE(f.Edit(kBitrateEdit).text(), QStringLiteral("120"));
    QCOMPARE(f.Edit(kWidthEdit).text(), QStringLiteral("240"));
    QCOMPARE(f.Edit(kHeightEdit).text(), QStringLiteral("160"));
    for (int id : {kTrimTopEdit, kTrimBottomEdit, kTrimLeftEdit, kTrimRightEdit}) QCOMPARE(f.Edit(id).text(), QStringLiteral("0"));
    for (int id : {kMovieFileEdit, kOutputFileEdit, kRomNameEdit}) QVERIFY(f.Edit(id).text().isEmpty());
    QCOMPARE(ListItems(f.List(kTrimmingList)),
             QStringList({"トリミングしない", "GBAの縦横比に合わせて自動トリミングする", "手動トリミングの後、さらに自動トリミングする",
                          "手動トリミングのみ"}));
    QCOMPARE(ListItems(f.List(kFrameRateList)),
             QStringList({"自動", "変更しない", "4/5 (30fps → 24fps)", "2/3 (30fps → 20fps)", "1/2 (30fps → 15fps)",
                          "2/5 (30fps → 12fps)", "1/3 (30fps → 10fps)", "1/4 (30fps → 7.5fps)", "1/5 (30fps → 6fps)"}));
    QCOMPARE(ListItems(f.List(kPreFilterList)), QStringList({"何もしない（旧バージョン互換）", "15bit切り落としのみ（画質悪・高圧縮）",
                                                         "2段階ディザリングで15bit化", "4段階ディザリングで15bit化"}));
    QCOMPARE(f.List(kTrimmingList).currentText(), QStringLiteral("トリミングしない"));
    QCOMPARE(f.List(kFrameRateList).currentText(), QStringLiteral("自動"));
    QCOMPARE(f.List(kPreFilterList).currentText(), QStringLiteral("4段階ディザリングで15bit化"));
    QCOMPARE(ListItems(f.List(kScreenList)), QStringList({"標準", "GBA (反射型液晶)", "GBA SP (フロントライト)"}));
    QCOMPARE(f.List(kScreenList).currentText(), QStringLiteral("標準"));
    for (int id : {kBrightnessEdit, kGammaEdit, kSaturationEdit}) QCOMPARE(f.Edit(id).text(), QStringLiteral("0"));
    QCOMPARE(ListItems(f.List(kSoundList)), QStringList({"標準", "高音質"}));
    QCOMPARE(f.List(kSoundList).currentText(), QStringLiteral("標準"));
    for (int id : kManualControls) QVERIFY2(!f.Control(id).isEnabled(), qPrintable(QString::number(id)));
    QCOMPARE(f.Dialog().focusWidget(), &f.Edit(kMovieFileEdit));
    QCOMPARE(f.Button(kExitButton).text(), QStringLiteral("Exit"));
    QCOMPARE(f.Button(kResizeCheck).text(), QStringLiteral("自動サイズ"));
    QCOMPARE(f.Progress().minimum(), 0);
    QCOMPARE(f.Progress().maximum(), 1000);
    // Fixed size: neither grows nor shrinks.
    QCOMPARE(f.Dialog().minimumSize(), f.Dialog().maximumSize());
    QVERIFY(!f.Dialog().windowIcon().isNull());
}

// Measured in the dialog's own font against the room its style leaves for text.
void SettingsTest::EveryItemAndCaptionShowsWhole() {
    DialogFixture f;
    for (int id : {kTrimmingList, kFrameRateList, kPreFilterList, kScreenList, kSoundList}) {
        QComboBox& list = f.List(id);
        QStyleOptionComboBox option;
        option.initFrom(&list);
        option.subControls = QStyle::SC_All;
        const QRect text = list.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list);
        const QFontMetrics metrics(list.font());
        for (const QString& item : ListItems(list))
            QVERIFY2(metrics.horizontalAdvance(item) <= text.width(),
                     qPrintable(QStringLiteral("%1 needs %2 pixels of %3").arg(item).arg(metrics.horizontalAdvance(item)).arg(text.width())));
    }
    for (const QLabel* label : f.Dialog().findChildren<QLabel*>()) {
        const int needs = QFontMetrics(label->font()).horizontalAdvance(label->text());
        QVERIFY2(needs <= label->contentsRect().width(), qPrintable(label->text()));
    }
    for (const QAbstractButton* box : f.Dialog().findChildren<QAbstractButton*>())
        if (qobject_cast<const QCheckBox*>(box) || qobject_cast<const QRadioButton*>(box))
            QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
}

void SettingsTest::ManualEnablesByTheDefaults() {
    DialogFixture f;
    f.Click(kManualSettingRadio);
    QVERIFY(f.Button(kManualSettingRadio).isChecked());
    for (int id : {kTrimTopEdit, kTrimBottomEdit, kTrimLeftEdit, kTrimRightEdit, kWidthEdit, kHeightEdit})
        QVERIFY2(!f.Control(id).isEnabled(), qPrintable(QString::number(id)));
    for (int id : {kTrimmingList, kResizeCheck, kFrameRateList, kPreFilterList})
        QVERIFY2(f.Control(id).isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(f.Button(kResizeCheck).isChecked());
    // Back to a preset: all ten disabled again.
    f.Click(kKeepAspectRadio);
    for (int id : kManualControls) QVERIFY2(!f.Control(id).isEnabled(), qPrintable(QString::number(id)));
    QCOMPARE(f.List(kTrimmingList).currentIndex(), 1);
}

void SettingsTest::AutomaticTrimmingForcesAutomaticSize() {
    DialogFixture f;
    f.Click(kManualSettingRadio);
    f.Click(kResizeCheck);  // off
    QVERIFY(!f.Button(kResizeCheck).isChecked());
    for (int mode : {1, 2}) {
        ChooseListItem(f.List(kTrimmingList), mode);
        QVERIFY(f.Button(kResizeCheck).isChecked());
        QVERIFY(!f.Button(kResizeCheck).isEnabled());
        QVERIFY(!f.Edit(kWidthEdit).isEnabled());
        QCOMPARE(f.Edit(kTrimTopEdit).isEnabled(), mode == 2);
    }
    ChooseListItem(f.List(kTrimmingList), 3);
    QVERIFY(f.Button(kResizeCheck).isEnabled());
    QVERIFY(f.Button(kResizeCheck).isChecked());
    QVERIFY(f.Edit(kTrimLeftEdit).isEnabled());
}

void SettingsTest::ResizeCheckBoxGovernsTheSizeEdits() {
    DialogFixture f;
    f.Click(kManualSettingRadio);
    f.Click(kResizeCheck);
    QVERIFY(f.Edit(kWidthEdit).isEnabled());
    QVERIFY(f.Edit(kHeightEdit).isEnabled());
    TypeInto(f.Edit(kWidthEdit), "200");
    f.Click(kResizeCheck);
    QVERIFY(!f.Edit(kWidthEdit).isEnabled());
    QVERIFY(!f.Edit(kHeightEdit).isEnabled());
    QCOMPARE(f.Edit(kWidthEdit).text(), QStringLiteral("200"));
}

void SettingsTest::PresetsOverwriteTrimsSizesAndLists() {
    DialogFixture f;
    f.Click(kManualSettingRadio);
    ChooseListItem(f.List(kTrimmingList), 3);
    f.Click(kResizeCheck);
    TypeInto(f.Edit(kTrimTopEdit), "8");
    TypeInto(f.Edit(kTrimRightEdit), "12");
    TypeInto(f.Edit(kWidthEdit), "120");
    TypeInto(f.Edit(kHeightEdit), "80");
    ChooseListItem(f.List(kFrameRateList), 4);
    ChooseListItem(f.List(kPreFilterList), 1);

    // "No resize" keeps trims and sizes (the worker ignores them) but resets the lists.
    f.Click(kNoResizeRadio);
    QCOMPARE(f.Edit(kTrimTopEdit).text(), QStringLiteral("8"));
    QCOMPARE(f.Edit(kWidthEdit).text(), QStringLiteral("120"));
    QVERIFY(f.Button(kResizeCheck).isChecked());
    QCOMPARE(f.List(kTrimmingList).currentIndex(), 0);
    QCOMPARE(f.List(kFrameRateList).currentText(), QStringLiteral("自動"));
    QCOMPARE(f.List(kPreFilterList).currentText(), QStringLiteral("4段階ディザリングで15bit化"));

    // Manual starts from the preset's values; "Resize and ignore aspect ratio" then resets them.
    f.Click(kManualSettingRadio);
    QCOMPARE(f.Edit(kTrimRightEdit).text(), QStringLiteral("12"));
    f.Click(kIgnoreAspectRadio);
    QCOMPARE(f.Edit(kWidthEdit).text(), QStringLiteral("240"));
    QCOMPARE(f.Edit(kHeightEdit).text(), QStringLiteral("160"));
    for (int id : {kTrimTopEdit, kTrimBottomEdit, kTrimLeftEdit, kTrimRightEdit}) QCOMPARE(f.Edit(id).text(), QStringLiteral("0"));
    QVERIFY(!f.Button(kResizeCheck).isChecked());
    QCOMPARE(f.List(kTrimmingList).currentIndex(), 0);
}

void SettingsTest::ValidationMessages_data() {
    QTest::addColumn<bool>("manual");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString notInteger = QStringLiteral("整数を入力してください。");
    QTest::newRow("empty bitrate") << false << kBitrateEdit << "" << notInteger;
    QTest::newRow("bitrate 501") << false << kBitrateEdit << "501" << "0 から 500 までの整数を入力してください。";
    QTest::newRow("width 3") << true << kWidthEdit << "3" << "4 から 240 までの整数を入力してください。";
    QTest::newRow("height 161") << true << kHeightEdit << "161" << "4 から 160 までの整数を入力してください。";
    QTest::newRow("trim 1001") << true << kTrimLeftEdit << "1001" << "0 から 1000 までの整数を入力してください。";
    QTest::newRow("empty trim") << true << kTrimBottomEdit << "" << notInteger;
    QTest::newRow("brightness -101") << false << kBrightnessEdit << "-101" << "-100 から 100 までの整数を入力してください。";
    QTest::newRow("a lone minus") << false << kGammaEdit << "-" << notInteger;
}

void SettingsTest::ValidationMessages() {
    QFETCH(bool, manual);
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    DialogFixture f;
    if (manual) {
        f.Click(kManualSettingRadio);
        ChooseListItem(f.List(kTrimmingList), 3);
        f.Click(kResizeCheck);
    }
    f.Edit(kMovieFileEdit).setText("/tmp/in.avi");
    f.Edit(kOutputFileEdit).setText("/nonexistent-folder/out.gba");
    TypeInto(f.Edit(field), typed);
    f.Edit(kMovieFileEdit).setFocus();

    ModalWatcher watcher;
    f.Click(kProcessButton);
    QCOMPARE(watcher.Boxes().size(), size_t(1));
    const SeenMessageBox& box = watcher.Boxes().front();
    QCOMPARE(box.text, message);
    QCOMPARE(box.title, QStringLiteral("KAVRO"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(f.Dialog().focusWidget(), &f.Edit(field));
    QCOMPARE(f.Edit(field).selectedText(), typed);
    QVERIFY(f.Edit(field).hasSelectedText() || typed.isEmpty());
    QCOMPARE(f.WorkerCalls(), 0);
}

void SettingsTest::RomNameIsUpperCaseAndStopsAt12Bytes() {
    DialogFixture f;
    QLineEdit& name = f.Edit(kRomNameEdit);
    TypeInto(name, "kavro movie test");
    QCOMPARE(name.text(), QStringLiteral("KAVRO MOVIE "));
    // Double-byte characters count two bytes each, half-width katakana one.
    TypeInto(name, "アイウエオカキ");
    QCOMPARE(name.text(), QStringLiteral("アイウエオカ"));
    TypeInto(name, "ｱｲｳｴｵｶｷｸｹｺｻｼｽ");
    QCOMPARE(name.text(), QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼ"));
    // What was typed is what is stored: a preset reloads every control from the settings.
    TypeInto(name, "demo");
    f.Click(kKeepAspectRadio);
    QCOMPARE(name.text(), QStringLiteral("DEMO"));
}

void SettingsTest::DropsTakeTheFirstItemOnly() {
    QTemporaryDir folder;
    DialogFixture f;
    DropPaths(f.Edit(kMovieFileEdit), {"/videos/first.avi", "/videos/second.mpg", "/videos/notes.txt"});
    QCOMPARE(f.Edit(kMovieFileEdit).text(), QStringLiteral("/videos/first.avi"));
    DropPaths(f.Edit(kOutputFileEdit), {folder.path() + "/", "/videos/first.avi"});
    QCOMPARE(f.Edit(kOutputFileEdit).text(), folder.path());
}

void SettingsTest::OverlongDroppedPathIsShownThenRejected() {
    DialogFixture f;
    const QString longPath = "/tmp/" + QString(507, 'a');  // 512 bytes
    DropPaths(f.Edit(kMovieFileEdit), {longPath});
    QCOMPARE(f.Edit(kMovieFileEdit).text(), longPath);
    f.Edit(kOutputFileEdit).setText("/tmp/out.gba");

    ModalWatcher watcher;
    f.Click(kProcessButton);
    QCOMPARE(watcher.Boxes().size(), size_t(1));
    QCOMPARE(watcher.Boxes().front().text, QStringLiteral("511 文字以内で入力してください。"));
    QCOMPARE(f.Dialog().focusWidget(), &f.Edit(kMovieFileEdit));
    QCOMPARE(f.Edit(kMovieFileEdit).selectedText(), longPath);
    // One byte less is accepted: the run starts.
    f.Edit(kMovieFileEdit).setText(longPath.chopped(1));
    f.Click(kProcessButton);
    QTRY_COMPARE(f.WorkerCalls(), 1);
    QCOMPARE(watcher.Boxes().size(), size_t(1));
}

void SettingsTest::BrowseMovieTakesTheChosenFile() {
    QTemporaryDir folder;
    const QString movie = folder.filePath("clip.mpg");
    QFile(movie).open(QIODevice::WriteOnly);
    DialogFixture f;
    f.Edit(kMovieFileEdit).setText(folder.filePath("missing.avi"));

    QStringList filters;
    QString startFolder;
    {
        ModalWatcher cancel([&](QWidget& window) {
            auto& chooser = dynamic_cast<QFileDialog&>(window);
            filters = chooser.nameFilters();
            startFolder = chooser.directory().absolutePath();
            chooser.reject();
        });
        f.Click(kBrowseMovieButton);
        QCOMPARE(cancel.OtherWindows(), 1);
    }
    QCOMPARE(f.Edit(kMovieFileEdit).text(), folder.filePath("missing.avi"));
    QCOMPARE(filters.size(), 2);
    QVERIFY(filters[0].startsWith("動画ファイル (*.avi,*.mpg,*.mpeg,*.mp4,*.m4v,*.mkv,*.mov,*.webm,*.wmv,*.flv,*.ts,*.m2ts,*.ogv)"));
    QVERIFY(filters[1].startsWith("全てのファイル (*.*)"));
    QCOMPARE(startFolder, folder.path());

    ModalWatcher choose([&](QWidget& window) { AcceptFileDialog(window, movie); });
    f.Click(kBrowseMovieButton);
    QCOMPARE(f.Edit(kMovieFileEdit).text(), movie);
}

void SettingsTest::BrowseOutputAddsTheExtension() {
    QTemporaryDir folder;
    const QString existing = folder.filePath("old.gba");
    QFile(existing).open(QIODevice::WriteOnly);
    DialogFixture f;

    bool asksOverwrite = true;
    ModalWatcher chooseNew([&](QWidget& window) {
        auto& chooser = dynamic_cast<QFileDialog&>(window);
        QCOMPARE(chooser.defaultSuffix(), QStringLiteral("gba"));
        asksOverwrite = !chooser.testOption(QFileDialog::DontConfirmOverwrite);
        AcceptFileDialog(chooser, folder.filePath("movie"));
    });
    f.Click(kBrowseOutputButton);
    QCOMPARE(f.Edit(kOutputFileEdit).text(), folder.filePath("movie.gba"));
    QVERIFY(!asksOverwrite);
}

void SettingsTest::InvalidFieldBlocksBrowse() {
    DialogFixture f;
    TypeInto(f.Edit(kBitrateEdit), "999");
    ModalWatcher watcher;
    f.Click(kBrowseMovieButton);
    QCOMPARE(watcher.OtherWindows(), 0);
    QCOMPARE(watcher.Boxes().size(), size_t(1));
    QCOMPARE(watcher.Boxes().front().text, QStringLiteral("0 から 500 までの整数を入力してください。"));
    // A preset click is blocked too: the trimming list keeps its value.
    f.Click(kKeepAspectRadio);
    QCOMPARE(f.List(kTrimmingList).currentIndex(), 0);
}

KAVRO_TEST_SUITE(SettingsTest);
#include "SettingsTest.moc"
