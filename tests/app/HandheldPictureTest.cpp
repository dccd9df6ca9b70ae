// The handheld's picture of the settings: the encoder's own frame, reduced to the screen's
// colours and centred, for the settings as they stand and the time chosen; the coded view is
// FFmpeg's decode of the intra frame; the dialog keeps answering while a frame is read.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <future>

#include "app/HandheldPictureWindow.h"
#include "format/Handheld.h"
#include "job/ConversionSettings.h"
#include "job/ConversionWorker.h"
#include "job/HandheldPicture.h"
#include "source/PictureAt.h"
#include "tests/app/DialogFixture.h"
#include "tests/app/TestSuites.h"
#include "tests/cinepak/oracle/FfmpegCinepak.h"
#include "tests/source/FixtureMovies.h"
#include "video/MovieEncoder.h"

namespace {

constexpr int kAnswerMs = 10000;
constexpr int kScreenWidth = int(handheld::kScreenWidth);
constexpr int kScreenHeight = int(handheld::kScreenHeight);

// A picture placed on the black screen as the player centres it, each channel cut to 5 bits;
// `rgb(x, y)` gives the picture's pixel counted from its top left.
template <typename Pixel>
QImage Expected(int width, int height, Pixel rgb) {
    QImage screen(kScreenWidth, kScreenHeight, QImage::Format_RGB888);
    screen.fill(Qt::black);
    const int left = (kScreenWidth - width) / 2, top = (kScreenHeight - height) / 2;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::array<uint8_t, 3> p = rgb(x, y);
            screen.setPixelColor(left + x, top + y, QColor(p[0], p[1], p[2]));
        }
    return screen;
}

// The top 5 bits of every channel: what the handheld keeps of a colour.
QImage Fifteen(const QImage& image) {
    QImage cut = image.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < cut.height(); ++y) {
        uchar* row = cut.scanLine(y);
        for (int i = 0; i < cut.width() * 3; ++i) row[i] &= 0xF8;
    }
    return cut;
}

struct Source {
    MovieFacts facts;
    std::vector<uint8_t> frame;
};

Source Read(const QString& path, int64_t timeUs) {
    Source source;
    std::string error;
    if (!ReadMovieFacts(path.toStdString(), nullptr, source.facts, error)) qFatal("%s", error.c_str());
    std::optional<std::vector<uint8_t>> frame = ShownPictureAt(path.toStdString(), timeUs, error);
    if (!frame) qFatal("%s", error.c_str());
    source.frame = std::move(*frame);
    return source;
}

// What the conversion's encoder makes of the frame with these settings, on the screen in its
// 15-bit colours.
QImage EncodersScreen(const ConversionRequest& request, int64_t timeUs) {
    Source source = Read(QString::fromStdString(request.moviePath), timeUs);
    MovieEncoder encoder;
    if (!ConfigureEncoder(encoder, MapRequest(request, ""))) qFatal("settings refused");
    if (!encoder.SetupVideo(source.facts.videoFormat)) qFatal("picture refused");
    std::vector<uint8_t> scaled(encoder.ScaledFrame().size());
    encoder.ScaleFrame(source.frame.data(), scaled.data());
    const int width = encoder.Plan().outputWidth, height = encoder.Plan().outputHeight;
    return Fifteen(Expected(width, height, [&](int x, int y) {
        const uint8_t* bgr = scaled.data() + (size_t(height - 1 - y) * size_t(width) + size_t(x)) * 3;
        return std::array<uint8_t, 3>{bgr[2], bgr[1], bgr[0]};
    }));
}

HandheldPictureWindow& OpenWindow(DialogFixture& f) {
    f.Click(kPictureButton);
    auto* window = f.Dialog().findChild<HandheldPictureWindow*>();
    if (!window) qFatal("no picture window");
    return *window;
}

// Waits for the next picture shown and returns it cut to 15 bits.
QImage NextScreen(HandheldPictureWindow& window, QSignalSpy& shown) {
    shown.clear();
    if (!shown.wait(kAnswerMs)) qFatal("no picture");
    return Fifteen(window.Screen());
}

}  // namespace

class HandheldPictureTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void ViewIsTheEncodersFrameForEverySetting();
    void CodedViewIsFfmpegsDecodeOfTheIntraFrame();
    void DialogAnswersWhileAFrameIsRead();
    void SliderSpansThePartToConvert();

private:
    QTemporaryDir folder;
    QString movie;
};

void HandheldPictureTest::initTestCase() {
    FixtureMovie fixture;
    fixture.video->width = 320;
    fixture.video->height = 180;
    fixture.video->frameRate = {10, 1};
    fixture.video->frameCount = 20;
    movie = folder.filePath("wide.avi");
    std::string message;
    if (WriteFixtureMovie(movie.toStdString(), fixture, message) != FixtureStatus::Written) qFatal("%s", message.c_str());
}

void HandheldPictureTest::ViewIsTheEncodersFrameForEverySetting() {
    DialogFixture f;
    DropPaths(f.Edit(kMovieFileEdit), {movie});
    HandheldPictureWindow& window = OpenWindow(f);
    QSignalSpy shown(&window, &HandheldPictureWindow::pictureShown);
    QVERIFY(shown.wait(kAnswerMs));
    QCOMPARE(window.findChild<QLabel*>(QString::number(kPictureScreen))->size(), QSize(480, 320));

    ConversionRequest request;
    request.moviePath = movie.toStdString();
    QTRY_COMPARE_WITH_TIMEOUT(Fifteen(window.Screen()), EncodersScreen(request, 0), kAnswerMs);

    // Another frame, then each kind of setting: the picture follows every one.
    auto& time = *window.findChild<QSlider*>();
    time.setValue(1500);
    const QImage later = NextScreen(window, shown);
    QCOMPARE(later, EncodersScreen(request, 1'500'000));
    QVERIFY(later != EncodersScreen(request, 0));

    f.Click(kKeepAspectRadio);  // a crop to the screen's shape, the whole screen
    request.pictureMode = 1;
    ApplyPresetValues(request);
    QTRY_COMPARE_WITH_TIMEOUT(Fifteen(window.Screen()), EncodersScreen(request, 1'500'000), kAnswerMs);

    f.Click(kManualSettingRadio);  // the preset's values stay, and the pre-filter can be chosen
    request.pictureMode = 3;
    ChooseListItem(f.List(kPreFilterList), 0);
    request.preFilter = 0;
    QTRY_COMPARE_WITH_TIMEOUT(Fifteen(window.Screen()), EncodersScreen(request, 1'500'000), kAnswerMs);

    ChooseListItem(f.List(kScreenList), 1);
    request.screen = 1;
    QCOMPARE(NextScreen(window, shown), EncodersScreen(request, 1'500'000));
}

void HandheldPictureTest::CodedViewIsFfmpegsDecodeOfTheIntraFrame() {
    DialogFixture f;
    DropPaths(f.Edit(kMovieFileEdit), {movie});
    HandheldPictureWindow& window = OpenWindow(f);
    QSignalSpy shown(&window, &HandheldPictureWindow::pictureShown);
    window.findChild<QCheckBox*>()->setChecked(true);

    for (const int bitrate : {120, 20}) {
        TypeInto(f.Edit(kBitrateEdit), QString::number(bitrate));
        ConversionRequest request;
        request.moviePath = movie.toStdString();
        request.bitrate = bitrate;
        Source source = Read(movie, 0);
        std::string error;
        const std::optional<HandheldPicture> picture = PictureOnHandheld(MapRequest(request, ""), source.facts, source.frame, error);
        QVERIFY(picture);
        const std::optional<CodedPicture> coded = CodeOnHandheld(*picture, error);
        QVERIFY(coded);
        const int width = picture->plan.outputWidth, height = picture->plan.outputHeight;
        cinepak_test::FfmpegDecoder decoder(width, height);
        const std::vector<uint8_t> decoded = decoder.Decode(coded->frame);
        QCOMPARE(decoded.size(), size_t(width) * size_t(height) * 3);
        const QImage expected = Fifteen(Expected(width, height, [&](int x, int y) {
            const uint8_t* p = decoded.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
            return std::array<uint8_t, 3>{p[0], p[1], p[2]};
        }));
        QTRY_COMPARE_WITH_TIMEOUT(Fifteen(window.Screen()), expected, kAnswerMs);
        // The coding loses something of the picture, and more at the lower bitrate.
        QVERIFY(expected != EncodersScreen(request, 0));
    }
}

void HandheldPictureTest::DialogAnswersWhileAFrameIsRead() {
    // A reader that holds the frame back until told: a movie as slow as can be.
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    std::atomic<int> reads = 0;
    std::atomic<int64_t> lastTimeUs = -1;
    auto slowReader = [&](const std::string& path, int64_t timeUs, std::string& error) {
        ++reads;
        released.wait();
        lastTimeUs = timeUs;
        return ShownPictureAt(path, timeUs, error);
    };
    DialogFixture f;
    auto* window = new HandheldPictureWindow(&f.Dialog(), slowReader);
    QSignalSpy shown(window, &HandheldPictureWindow::pictureShown);
    ConversionRequest request;
    request.moviePath = movie.toStdString();
    window->Ask(request);
    QTRY_COMPARE_WITH_TIMEOUT(reads.load(), 1, kAnswerMs);

    // The event loop turns within 100 ms while the worker waits in the reader.
    QElapsedTimer clock;
    clock.start();
    bool answered = false;
    QMetaObject::invokeMethod(&f.Dialog(), [&] { answered = true; }, Qt::QueuedConnection);
    QTRY_VERIFY_WITH_TIMEOUT(answered, 100);
    QVERIFY(clock.elapsed() < 100);
    TypeInto(f.Edit(kBitrateEdit), "80");
    QCOMPARE(f.Edit(kBitrateEdit).text(), QStringLiteral("80"));

    // Requests made meanwhile: only the latest is answered.
    window->Ask(request);
    request.bitrate = 60;
    window->Ask(request);
    release.set_value();
    QTRY_VERIFY_WITH_TIMEOUT(!window->Screen().isNull(), kAnswerMs);
    QTest::qWait(200);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(Fifteen(window->Screen()), EncodersScreen(request, 0));
    window->close();
}

void HandheldPictureTest::SliderSpansThePartToConvert() {
    DialogFixture f;
    DropPaths(f.Edit(kMovieFileEdit), {movie});
    TypeInto(f.Edit(kStartTimeEdit), "0.5");
    TypeInto(f.Edit(kEndTimeEdit), "0:00:01.5");
    HandheldPictureWindow& window = OpenWindow(f);
    auto& time = *window.findChild<QSlider*>();
    // The slider starts at the movie's beginning: the first picture's range moves it, and the
    // picture follows it to the part's first moment.
    ConversionRequest request;
    request.moviePath = movie.toStdString();
    QTRY_COMPARE_WITH_TIMEOUT(Fifteen(window.Screen()), EncodersScreen(request, 500'000), kAnswerMs);
    QVERIFY(Fifteen(window.Screen()) != EncodersScreen(request, 0));
    QCOMPARE(time.minimum(), 500);
    QCOMPARE(time.maximum(), 1499);
    QCOMPARE(time.value(), 500);

    // An end past the movie's is the movie's; without a start the slider goes back to 0.
    TypeInto(f.Edit(kEndTimeEdit), "30");
    QTRY_COMPARE_WITH_TIMEOUT(time.maximum(), 1999, kAnswerMs);
    QCOMPARE(time.minimum(), 500);
    TypeInto(f.Edit(kStartTimeEdit), "");
    QTRY_COMPARE_WITH_TIMEOUT(time.minimum(), 0, kAnswerMs);
    QCOMPARE(time.value(), 500);
}

KAVRO_TEST_SUITE(HandheldPictureTest);
#include "HandheldPictureTest.moc"
