#pragma once
// One frame of the chosen movie as the handheld will show it with the dialog's settings as
// they stand, at 2x on black, in a window of its own: a time slider picks the frame, and one
// click shows it after Cinepak coding at the bitrate's budget. The frame is decoded once and
// kept; pictures are made on a thread of the window's own, the last request counts and the
// answers to earlier ones are dropped, so the dialog never waits for a file.
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/LatestRequestWorker.h"
#include "job/ConversionJob.h"
#include "job/ConversionRequest.h"
#include "source/MovieFacts.h"

class AbortEvent;
class QCheckBox;
class QLabel;
class QSlider;

class HandheldPictureWindow : public QWidget {
    Q_OBJECT
public:
    // How a frame of the movie is decoded (ShownPictureAt; a stand-in in tests).
    using PictureReader =
        std::function<std::optional<std::vector<uint8_t>>(const std::string& path, int64_t timeUs, std::string& error)>;

    explicit HandheldPictureWindow(QWidget* owner, PictureReader reader = DefaultReader());

    // Makes the picture for these settings (the latest call counts).
    void Ask(const ConversionRequest& request);

    // The 240 x 160 screen last shown, R,G,B; null before the first picture.
    const QImage& Screen() const { return screen; }

signals:
    // Screen() shows the answer to the latest request; `message` says why it is empty, if so.
    void pictureShown(const QString& message);

private:
    struct Job {
        JobArguments arguments;
        int64_t timeUs = 0;
        bool coded = false;
    };
    struct Answer {
        QImage screen;
        QString message;
        // The slider's range, in milliseconds of the movie's time: the part asked for, up to its last.
        int firstMs = 0;
        int lastMs = 0;
    };
    static PictureReader DefaultReader();
    void Hand();
    Answer Make(const Job& job, const AbortEvent& abort);
    // The kept frame of the job's movie at its time, decoded when either changed.
    bool KeepFrame(const Job& job, const AbortEvent& abort, std::string& error);
    void Show(const Answer& answer);

    QLabel* view = nullptr;
    QSlider* time = nullptr;
    QCheckBox* coded = nullptr;
    QLabel* message = nullptr;
    ConversionRequest asked;
    QImage screen;
    PictureReader reader;

    // The worker's own: the movie last read, its facts and the frame kept.
    std::string keptPath;
    std::optional<MovieFacts> keptFacts;
    std::optional<int64_t> keptTimeUs;
    std::vector<uint8_t> keptFrame;

    // Last: started once the rest is built; its read is stopped and its thread joined before the rest goes.
    LatestRequestWorker<Job, Answer> worker;
};
