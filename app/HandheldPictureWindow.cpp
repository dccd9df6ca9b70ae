#include "app/HandheldPictureWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <utility>

#include "app/ControlIds.h"
#include "app/MessageBox.h"
#include "format/Handheld.h"
#include "job/ConversionWorker.h"
#include "job/HandheldPicture.h"
#include "platform/AbortEvent.h"
#include "source/PictureAt.h"

namespace {

constexpr int kScale = 2;
const QSize kScreenSize(int(handheld::kScreenWidth), int(handheld::kScreenHeight));

QImage ScreenImage(const std::vector<uint8_t>& rgb) {
    QImage image(kScreenSize, QImage::Format_RGB888);
    const int rowBytes = image.width() * 3;
    for (int row = 0; row < image.height(); ++row)
        std::copy_n(rgb.begin() + ptrdiff_t(row) * rowBytes, rowBytes, image.scanLine(row));
    return image;
}

// The part of the movie asked for that its picture covers (`durationUs` 0: not known), in
// milliseconds up to the last.
std::pair<int, int> SliderSpan(const MovieSpan& span, int64_t durationUs) {
    const int64_t endUs = std::min(durationUs, span.endUs.value_or(durationUs));
    const int64_t lastMs = std::max<int64_t>(endUs / 1000 - 1, 0);
    return {int(std::min(span.startUs / 1000, lastMs)), int(lastMs)};
}

}  // namespace

HandheldPictureWindow::PictureReader HandheldPictureWindow::DefaultReader() { return ShownPictureAt; }

HandheldPictureWindow::HandheldPictureWindow(QWidget* owner, PictureReader reader)
    : QWidget(owner, Qt::Window), view(new QLabel(this)), time(new QSlider(Qt::Horizontal, this)),
      coded(new QCheckBox(QStringLiteral("Cinepak で符号化した後の絵"), this)), message(new QLabel(this)),
      reader(std::move(reader)),
      worker([this](const Job& job, const AbortEvent& abort) { return Make(job, abort); },
             [this](const Answer& answer) { Show(answer); }) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("プレビュー - %1").arg(ProgramTitle()));
    view->setObjectName(QString::number(kPictureScreen));
    view->setFixedSize(kScreenSize * kScale);
    view->setAlignment(Qt::AlignCenter);
    view->setStyleSheet(QStringLiteral("background: black"));
    time->setToolTip(QStringLiteral("絵にするムービーの時刻を選びます。"));
    time->setRange(0, 0);
    coded->setToolTip(QStringLiteral("いまのビットレートの1フレーム分の大きさで符号化した絵を示します。"));
    message->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addWidget(time);
    layout->addWidget(coded);
    layout->addWidget(message);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(time, &QSlider::valueChanged, this, &HandheldPictureWindow::Hand);
    connect(coded, &QCheckBox::toggled, this, &HandheldPictureWindow::Hand);
}

void HandheldPictureWindow::Ask(const ConversionRequest& request) {
    asked = request;
    Hand();
}

void HandheldPictureWindow::Hand() {
    Job job{MapRequest(asked, std::string()), int64_t(time->value()) * 1000, coded->isChecked()};
    job.arguments.abortEvent = nullptr;
    const std::string path = job.arguments.moviePath;
    worker.Ask(std::move(job), path);
}

bool HandheldPictureWindow::KeepFrame(const Job& job, const AbortEvent& abort, std::string& error) {
    const std::string& path = job.arguments.moviePath;
    if (path != keptPath || !keptFacts) {
        keptFacts.reset();
        keptTimeUs.reset();
        // Only a file can be read twice: a second reader of a pipe would take the conversion's bytes.
        std::error_code failure;
        if (!std::filesystem::is_regular_file(path, failure)) {
            error = "ファイルを選ぶと絵が出ます";
            return false;
        }
        MovieFacts facts;
        if (!ReadMovieFacts(path, &abort, facts, error)) return false;
        keptPath = path;
        keptFacts = facts;
    }
    if (keptTimeUs != job.timeUs) {
        std::optional<std::vector<uint8_t>> frame = reader(path, job.timeUs, error);
        if (!frame) return false;
        keptFrame = std::move(*frame);
        keptTimeUs = job.timeUs;
    }
    return true;
}

HandheldPictureWindow::Answer HandheldPictureWindow::Make(const Job& job, const AbortEvent& abort) {
    Answer answer;
    std::string error;
    if (!KeepFrame(job, abort, error)) {
        answer.message = QString::fromStdString(error);
        return answer;
    }
    std::tie(answer.firstMs, answer.lastMs) = SliderSpan(job.arguments.span, keptFacts->timing.durationUs);
    std::optional<HandheldPicture> picture = PictureOnHandheld(job.arguments, *keptFacts, keptFrame, error);
    if (picture && !job.coded) {
        answer.screen = ScreenImage(picture->screen);
    } else if (picture) {
        if (const std::optional<CodedPicture> codedPicture = CodeOnHandheld(*picture, error))
            answer.screen = ScreenImage(codedPicture->screen);
    }
    if (answer.screen.isNull()) answer.message = QString::fromStdString(error);
    return answer;
}

void HandheldPictureWindow::Show(const Answer& answer) {
    if (time->minimum() != answer.firstMs || time->maximum() != answer.lastMs) {
        const int shownMs = time->value();
        {
            const QSignalBlocker quiet(time);  // the range alone asks for no new picture
            time->setRange(answer.firstMs, answer.lastMs);
        }
        // A time the new range left behind: the picture follows the slider into it.
        if (time->value() != shownMs) Hand();
    }
    screen = answer.screen;
    if (screen.isNull()) {
        view->clear();
    } else {
        // Nearest neighbour: the handheld's pixels stay square blocks.
        view->setPixmap(QPixmap::fromImage(screen.scaled(screen.size() * kScale, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    }
    message->setText(answer.message);
    emit pictureShown(answer.message);
}
