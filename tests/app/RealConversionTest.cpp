// One real conversion driven through the dialog: the worker, the job and the image assembly
// behind it, and a cartridge image that the stream reader accepts.
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <iterator>
#include <vector>

#include "job/ConversionWorker.h"
#include "resources/Resources.h"
#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"
#include "tests/source/FixtureMovies.h"
#include "video/MovieStreamReader.h"

namespace {

constexpr size_t kTitleOffset = 160;
constexpr size_t kHeaderEnd = 192;

std::vector<uint8_t> ReadFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

class RealConversionTest : public QObject {
    Q_OBJECT
private slots:
    void DialogConvertsAMovieIntoACartridgeImage();
};

void RealConversionTest::DialogConvertsAMovieIntoACartridgeImage() {
    QTemporaryDir folder;
    const QString movie = folder.filePath("clip.avi");
    const QString output = folder.filePath("clip.gba");
    FixtureMovie fixture;  // 128 x 96 raw pictures, 25 frames at 25 fps
    fixture.audio = FixtureAudio{};
    std::string message;
    QCOMPARE(WriteFixtureMovie(movie.toStdString(), fixture, message), FixtureStatus::Written);

    DialogFixture f(ConversionWorker);
    DropPaths(f.Edit(kMovieFileEdit), {movie});
    TypeInto(f.Edit(kOutputFileEdit), output);
    TypeInto(f.Edit(kRomNameEdit), "clip");
    f.Click(kKeepAspectRadio);
    ModalWatcher watcher;
    f.Click(kProcessButton);
    QTRY_COMPARE_WITH_TIMEOUT(f.Button(kExitButton).text(), QStringLiteral("終了(&X)"), 120000);
    QVERIFY(watcher.Boxes().empty());
    QCOMPARE(f.Dialog().windowTitle(), QStringLiteral("KAVRO"));

    const std::vector<uint8_t> image = ReadFile(output);
    const std::optional<std::span<const uint8_t>> player = FindModuleResource("BINARY", 130);
    QVERIFY(player.has_value());
    QVERIFY(image.size() > player->size());
    // The player comes first, unchanged but for its header's title and complement byte.
    QVERIFY(std::equal(player->begin(), player->begin() + kTitleOffset, image.begin()));
    QVERIFY(std::equal(player->begin() + kHeaderEnd, player->end(), image.begin() + kHeaderEnd));
    QCOMPARE(std::string(image.begin() + kTitleOffset, image.begin() + kTitleOffset + 5), std::string("CLIP\0", 5));

    const MovieStreamCheck stream = ReadMovieStream(image, player->size());
    QVERIFY2(stream.ok, stream.error.c_str());
    QVERIFY(stream.info.frameCount > 0);
    QVERIFY(stream.info.hasAudioBlock);
    // "Resize but keep aspect ratio" trims the 4:3 picture to the screen's 3:2.
    QCOMPARE(stream.info.width * 2, stream.info.height * 3);
}

KAVRO_TEST_SUITE(RealConversionTest);
#include "RealConversionTest.moc"
