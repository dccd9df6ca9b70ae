// The dialog and kavro-cli are two ways to give the same settings: the same choices give the
// same job, the margins cut the edges they are named after, and a ROM name the cartridge title
// cannot hold is refused by both, naming the character.
#include <CLI/CLI.hpp>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <fmt/format.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "cli/ConvertOptions.h"
#include "app/MovieListWindow.h"
#include "job/ConversionWorker.h"
#include "resources/Resources.h"
#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"
#include "tests/player/CinepakOracle.h"
#include "tests/player/ShownFrames.h"
#include "tests/source/FixtureMovies.h"

namespace {

// What the job is given, and what the assembly reads, in one line to compare and to show.
std::string JobOf(const ConversionRequest& request) {
    const JobArguments job = MapRequest(request, "stream");
    return fmt::format("movie {} | trims {},{},{},{} auto {} | size {}x{} | rate {} | filter {} | bitrate {} | "
                       "screen {} {}/{}/{} | sound {} | output {} | title {} | part {} to {} | fit {}",
                       job.moviePath, job.trims.left, job.trims.top, job.trims.right, job.trims.bottom, job.autoTrim,
                       job.width, job.height, job.frameRateMode, job.preFilter, job.bitrate, int(job.screen.screen),
                       job.screen.brightness, job.screen.gamma, job.screen.saturation, int(job.soundCoder),
                       request.outputPath, request.romName, job.span.startUs, job.span.endUs.value_or(-1),
                       request.fitBytes);
}

// kavro-cli convert's settings from these words, through its own parser; the fault, if any.
std::string ParseCommandLine(const std::vector<std::string>& words, ConversionRequest& request) {
    CLI::App command;
    const ConvertOptions options(command);
    std::vector<const char*> argv{"convert"};
    for (const std::string& word : words) argv.push_back(word.c_str());
    command.parse(int(argv.size()), argv.data());
    return options.BuildRequest(request).value_or("");
}

// kavro-cli convert's menu image from these words: its settings and movies, prepared as it does.
std::string ParseMenuCommandLine(const std::vector<std::string>& words, MenuRequest& menu) {
    CLI::App command;
    const ConvertOptions options(command);
    std::vector<const char*> argv{"convert"};
    for (const std::string& word : words) argv.push_back(word.c_str());
    command.parse(int(argv.size()), argv.data());
    if (auto fault = options.BuildRequest(menu.settings)) return *fault;
    std::vector<MenuChoice> choices;
    if (auto fault = options.MenuChoices(choices)) return *fault;
    std::string error;
    return PrepareMenu(choices, menu, error) ? "" : error;
}

// A menu image's movies and pages in one line to compare and to show; the pages by a hash.
std::string MenuOf(const MenuRequest& menu) {
    std::string text = fmt::format("{} | pages {} of {} bytes, hash {}", JobOf(menu.settings), menu.pageCount,
                                   menu.pages.size(), qHash(QByteArrayView(menu.pages.data(), qsizetype(menu.pages.size()))));
    for (const MenuMovie& movie : menu.movies)
        text += fmt::format(" | {} \"{}\" at {} ms, page {} frame {},{} {}x{}", movie.moviePath, movie.title,
                            movie.thumbnailMs, movie.page, movie.highlight.x, movie.highlight.y, movie.highlight.width,
                            movie.highlight.height);
    return text;
}

// The request the dialog hands its worker when Process is pressed after `setUp`.
std::optional<ConversionRequest> DialogRequest(const std::function<void(DialogFixture&)>& setUp) {
    std::optional<ConversionRequest> handed;
    DialogFixture f([&handed](const ConversionRequest& request) {
        handed = request;
        PostCompletion(request, 0);
        return 0;
    });
    setUp(f);
    ModalWatcher watcher;
    f.Click(kProcessButton);
    // Nothing when the run did not start: a field failed, and its box was answered.
    const bool ended = QTest::qWaitFor([&] { return f.Button(kExitButton).text() == QStringLiteral("終了(&X)"); }, 5000);
    return ended ? handed : std::nullopt;
}

struct SameSettings {
    const char* name;
    std::function<void(DialogFixture&)> dialog;
    std::vector<std::string> commandLine;
};

// The margins typed into the dialog, by the edges they are labelled with.
void TypeMargins(DialogFixture& f, const char* top, const char* bottom, const char* left, const char* right) {
    TypeInto(f.Edit(kTrimTopEdit), top);
    TypeInto(f.Edit(kTrimBottomEdit), bottom);
    TypeInto(f.Edit(kTrimLeftEdit), left);
    TypeInto(f.Edit(kTrimRightEdit), right);
}

std::vector<SameSettings> EveryPreset() {
    return {
        {"no resize", [](DialogFixture& f) { f.Click(kNoResizeRadio); }, {"--picture", "no-resize"}},
        {"keep aspect", [](DialogFixture& f) { f.Click(kKeepAspectRadio); }, {"--picture", "keep-aspect"}},
        {"ignore aspect", [](DialogFixture& f) { f.Click(kIgnoreAspectRadio); }, {"--picture", "stretch"}},
        {"manual: margins and a size",
         [](DialogFixture& f) {
             f.Click(kManualSettingRadio);
             ChooseListItem(f.List(kTrimmingList), 3);
             TypeMargins(f, "8", "16", "24", "32");
             f.Click(kResizeCheck);
             TypeInto(f.Edit(kWidthEdit), "200");
             TypeInto(f.Edit(kHeightEdit), "120");
             ChooseListItem(f.List(kFrameRateList), 4);
             ChooseListItem(f.List(kPreFilterList), 1);
         },
         {"--picture", "manual", "--trim-mode", "3", "--trim", "24,8,32,16", "--size", "200x120", "--frame-rate", "1/2",
          "--prefilter", "1"}},
        {"manual: margins, then to the screen's aspect",
         [](DialogFixture& f) {
             f.Click(kManualSettingRadio);
             ChooseListItem(f.List(kTrimmingList), 2);
             TypeMargins(f, "4", "0", "12", "0");
             ChooseListItem(f.List(kFrameRateList), 8);
             ChooseListItem(f.List(kPreFilterList), 0);
         },
         {"--trim-mode", "2", "--trim", "12,4,0,0", "--frame-rate", "1/5", "--prefilter", "0"}},
        {"the unlit screen, adjusted, and the closer sound",
         [](DialogFixture& f) {
             ChooseListItem(f.List(kScreenList), 1);
             TypeInto(f.Edit(kBrightnessEdit), "-20");
             TypeInto(f.Edit(kGammaEdit), "35");
             TypeInto(f.Edit(kSaturationEdit), "-5");
             ChooseListItem(f.List(kSoundList), 1);
         },
         {"--screen", "gba", "--brightness", "-20", "--gamma", "35", "--saturation", "-5", "--sound", "high"}},
        {"manual from the stretching preset",
         [](DialogFixture& f) {
             f.Click(kIgnoreAspectRadio);
             f.Click(kManualSettingRadio);
         },
         {"--picture", "manual", "--size", "240x160"}},
        {"a part, fitted to a cartridge",
         [](DialogFixture& f) {
             TypeInto(f.Edit(kStartTimeEdit), "1.5");
             TypeInto(f.Edit(kEndTimeEdit), "0:01:02.250");
             ChooseListItem(f.List(kCartridgeSizeList), 2);
         },
         {"--start", "1.5", "--end", "0:01:02.250", "--fit", "8M"}},
    };
}

// A 320 x 240 movie, red above, blue below, of a few frames.
std::string WriteRedAboveBlue(const QTemporaryDir& folder) {
    FixtureMovie movie;
    movie.video->width = 320;
    movie.video->height = 240;
    movie.video->frameCount = 3;
    movie.video->draw = [](int, std::span<Rgb> picture) {
        for (size_t at = 0; at < picture.size(); ++at) picture[at] = at < picture.size() / 2 ? Rgb{220, 0, 0} : Rgb{0, 0, 220};
    };
    const std::string path = folder.filePath("red-above-blue.avi").toStdString();
    std::string message;
    if (WriteFixtureMovie(path, movie, message) != FixtureStatus::Written) qWarning("%s", message.c_str());
    return path;
}

// The mean colour of the image's first picture, as FFmpeg decodes its stream.
Rgb FirstPictureColour(const QString& imagePath) {
    std::ifstream in(imagePath.toStdString(), std::ios::binary);
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t streamOffset = FindModuleResource("BINARY", 130)->size();
    const MovieStreamCheck stream = ReadMovieStream(image, streamOffset);
    if (!stream.ok || stream.info.records.empty()) return {};
    CinepakOracle oracle(stream.info.width, stream.info.height);
    const std::vector<uint8_t> rgb = oracle.Decode(RecordsOf(image, streamOffset, stream.info).front());
    uint64_t sums[3] = {};
    for (size_t at = 0; at < rgb.size(); ++at) sums[at % 3] += rgb[at];
    const uint64_t points = rgb.size() / 3;
    return {uint8_t(sums[0] / points), uint8_t(sums[1] / points), uint8_t(sums[2] / points)};
}

bool IsRed(Rgb c) { return c.r > 180 && c.b < 40; }
bool IsBlue(Rgb c) { return c.b > 180 && c.r < 40; }

}  // namespace

class FrontEndsTest : public QObject {
    Q_OBJECT
private slots:
    void EveryPresetGivesTheSameJob();
    void TopAndBottomCutTheEdgesTheyName();
    void SeveralMoviesGiveTheCommandLinesMenuAndOneGivesTodaysRequest();
    void RomNameRefusesWhatTheTitleCannotHold_data();
    void RomNameRefusesWhatTheTitleCannotHold();
};

void FrontEndsTest::EveryPresetGivesTheSameJob() {
    QTemporaryDir folder;
    const std::string movie = folder.filePath("movie.avi").toStdString();
    const std::string output = folder.filePath("movie.gba").toStdString();
    for (const SameSettings& settings : EveryPreset()) {
        const std::optional<ConversionRequest> fromDialog = DialogRequest([&](DialogFixture& f) {
            f.Edit(kMovieFileEdit).setText(QString::fromStdString(movie));
            f.Edit(kOutputFileEdit).setText(QString::fromStdString(output));
            TypeInto(f.Edit(kRomNameEdit), "clipｇｂａ");
            TypeInto(f.Edit(kBitrateEdit), "250");
            settings.dialog(f);
        });
        QVERIFY2(fromDialog.has_value(), settings.name);

        std::vector<std::string> words{movie, output, "--rom-name", "clipｇｂａ", "--bitrate", "250"};
        words.insert(words.end(), settings.commandLine.begin(), settings.commandLine.end());
        ConversionRequest fromCommandLine;
        const std::string fault = ParseCommandLine(words, fromCommandLine);
        QVERIFY2(fault.empty(), fault.c_str());
        QCOMPARE(QString::fromStdString(JobOf(fromCommandLine)), QString::fromStdString(JobOf(*fromDialog)));
        // Full-width letters too are titles' capitals, typed or given.
        QCOMPARE(QString::fromStdString(fromCommandLine.romName), QStringLiteral("CLIPＧＢＡ"));
    }
}

void FrontEndsTest::TopAndBottomCutTheEdgesTheyName() {
    QTemporaryDir folder;
    const std::string movie = WriteRedAboveBlue(folder);
    struct Cut {
        const char* top;
        const char* bottom;
        const char* trim;  // kavro-cli's L,T,R,B
        bool (*leaves)(Rgb);
    };
    for (const Cut& cut : {Cut{"120", "0", "0,120,0,0", IsBlue}, Cut{"0", "120", "0,0,0,120", IsRed}}) {
        const QString viaDialog = folder.filePath(QStringLiteral("dialog-%1-%2.gba").arg(cut.top, cut.bottom));
        DialogFixture f(ConversionWorker);
        f.Edit(kMovieFileEdit).setText(QString::fromStdString(movie));
        f.Edit(kOutputFileEdit).setText(viaDialog);
        f.Click(kManualSettingRadio);
        ChooseListItem(f.List(kTrimmingList), 3);
        TypeMargins(f, cut.top, cut.bottom, "0", "0");
        ModalWatcher watcher;
        f.Click(kProcessButton);
        QTRY_COMPARE_WITH_TIMEOUT(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"), 60000);
        QVERIFY(watcher.Boxes().empty());
        const Rgb shownByDialog = FirstPictureColour(viaDialog);
        QVERIFY2(cut.leaves(shownByDialog),
                 qPrintable(QStringLiteral("top %1, bottom %2: %3 %4 %5").arg(cut.top, cut.bottom).arg(shownByDialog.r)
                                .arg(shownByDialog.g).arg(shownByDialog.b)));

        const QString viaCommandLine = folder.filePath(QStringLiteral("cli-%1.gba").arg(cut.trim).replace(',', '-'));
        QProcess cli;
        cli.start(KAVRO_CLI_PATH, {"convert", QString::fromStdString(movie), viaCommandLine, "--trim", cut.trim});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const Rgb shownByCommandLine = FirstPictureColour(viaCommandLine);
        QVERIFY2(cut.leaves(shownByCommandLine), cut.trim);
    }
}

void FrontEndsTest::SeveralMoviesGiveTheCommandLinesMenuAndOneGivesTodaysRequest() {
    QTemporaryDir folder;
    std::vector<std::string> movies;
    for (const char* name : {"first.avi", "second.avi", "third.avi"}) {
        FixtureMovie movie;
        movie.video->frameCount = 10;
        movies.push_back(folder.filePath(name).toStdString());
        std::string message;
        QVERIFY2(WriteFixtureMovie(movies.back(), movie, message) == FixtureStatus::Written, message.c_str());
    }
    const std::string output = folder.filePath("menu.gba").toStdString();
    std::optional<MenuRequest> handedMenu;
    DialogFixture f(nullptr, [&handedMenu](const MenuRequest& menu) {
        handedMenu = menu;
        PostCompletion(menu.settings, 0);
        return 0;
    });
    const auto q = [](const std::string& path) { return QString::fromStdString(path); };
    f.Edit(kMovieFileEdit).setText(q(movies[0]));
    f.Edit(kOutputFileEdit).setText(q(output));
    TypeInto(f.Edit(kBitrateEdit), "200");
    f.Click(kMovieListButton);
    auto* list = f.Dialog().findChild<MovieListWindow*>();
    QVERIFY(list && list->isVisible());
    list->AddMovies({q(movies[1]), q(movies[2])});
    QCOMPARE(f.Edit(kMovieFileEdit).text(), QStringLiteral("3 本の動画（メニュー付き）"));
    QVERIFY(f.Edit(kMovieFileEdit).isReadOnly());
    QVERIFY(!f.Button(kBrowseMovieButton).isEnabled());
    // third up above second, and a title for the first.
    auto& table = *FindControl<QTableWidget>(*list, kMovieListTable);
    table.setCurrentCell(2, 0);
    QTest::mouseClick(FindControl<QAbstractButton>(*list, kMovieUpButton), Qt::LeftButton);
    table.item(0, 0)->setText(QStringLiteral("最初の動画"));
    {
        ModalWatcher watcher;
        f.Click(kProcessButton);
        QTRY_COMPARE_WITH_TIMEOUT(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"), 30000);
        QVERIFY(watcher.Boxes().empty());
    }
    QVERIFY(handedMenu.has_value());
    QCOMPARE(f.WorkerCalls(), 0);
    MenuRequest fromCommandLine;
    const std::string fault = ParseMenuCommandLine(
        {movies[0], movies[2], movies[1], "-o", output, "--title", "最初の動画", "--bitrate", "200"}, fromCommandLine);
    QVERIFY2(fault.empty(), fault.c_str());
    QCOMPARE(QString::fromStdString(MenuOf(*handedMenu)), QString::fromStdString(MenuOf(fromCommandLine)));

    // Emptied back to one movie: the field holds it and takes typing, and Process is today's run.
    for (int row : {0, 0}) {
        table.setCurrentCell(row, 0);
        QTest::mouseClick(FindControl<QAbstractButton>(*list, kRemoveMovieButton), Qt::LeftButton);
    }
    QCOMPARE(f.Edit(kMovieFileEdit).text(), q(movies[1]));
    QVERIFY(!f.Edit(kMovieFileEdit).isReadOnly());
    QVERIFY(f.Button(kBrowseMovieButton).isEnabled());
    handedMenu.reset();
    ModalWatcher watcher;
    f.Click(kProcessButton);
    QTRY_COMPARE_WITH_TIMEOUT(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"), 30000);
    QCOMPARE(f.WorkerCalls(), 1);
    QVERIFY(!handedMenu);
}

void FrontEndsTest::RomNameRefusesWhatTheTitleCannotHold_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("accented letter") << "CAFÉ" << "「É」(U+00C9) はシフトJISにない文字のため使えません。";
    QTest::newRow("euro sign") << "50€" << "「€」(U+20AC) はシフトJISにない文字のため使えません。";
    QTest::newRow("emoji") << "GO😀" << "「😀」(U+1F600) はシフトJISにない文字のため使えません。";
    QTest::newRow("tab") << "A\tB" << "制御文字 (U+0009) は使えません。";
}

void FrontEndsTest::RomNameRefusesWhatTheTitleCannotHold() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    DialogFixture f;
    f.Edit(kMovieFileEdit).setText("/tmp/in.avi");
    f.Edit(kOutputFileEdit).setText("/nonexistent-folder/out.gba");
    f.Edit(kRomNameEdit).setText(name);
    ModalWatcher watcher;
    f.Click(kProcessButton);
    QCOMPARE(watcher.Boxes().size(), size_t(1));
    QCOMPARE(watcher.Boxes().front().text, message);
    QCOMPARE(watcher.Boxes().front().title, QStringLiteral("KAVRO"));
    QCOMPARE(f.Dialog().focusWidget(), &f.Edit(kRomNameEdit));
    QCOMPARE(f.WorkerCalls(), 0);

    ConversionRequest request;
    const std::string fault = ParseCommandLine({"in.avi", "out.gba", "--rom-name", name.toStdString()}, request);
    QCOMPARE(QString::fromStdString(fault), "--rom-name: " + message);
}

KAVRO_TEST_SUITE(FrontEndsTest);
#include "FrontEndsTest.moc"
