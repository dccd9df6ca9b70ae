#include "app/RunSummary.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QUrl>

#include "app/ControlIds.h"
#include "job/ImageFile.h"
#include "job/ImageSummary.h"

namespace {

template <class Widget>
Widget* Named(Widget* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

QString Grouped(uint64_t number) { return QLocale(QLocale::English).toString(qulonglong(number)); }

QString SizeText(size_t imageBytes) {
    const uint32_t cartridge = SmallestCartridgeFor(imageBytes);
    const QString fits = cartridge == 0 ? QStringLiteral("32 MB のカートリッジにも収まりません")
                                        : QStringLiteral("%1 MB のカートリッジに収まります").arg(cartridge >> 20);
    return QStringLiteral("サイズ: %1 バイト（%2）").arg(Grouped(imageBytes), fits);
}

}  // namespace

RunSummary::RunSummary(QWidget* parent)
    : QGroupBox(QStringLiteral("変換結果"), parent),
      path(Named(new QLineEdit(this), kSummaryPathEdit)),
      size(Named(new QLabel(this), kSummarySizeLabel)),
      picture(Named(new QLabel(this), kSummaryPictureLabel)),
      rate(Named(new QLabel(this), kSummaryRateLabel)),
      time(Named(new QLabel(this), kSummaryTimeLabel)),
      openFolder(Named(new QPushButton(QStringLiteral("フォルダを開く"), this), kOpenFolderButton)),
      play(Named(new QPushButton(QStringLiteral("再生"), this), kPlayButton)) {
    path->setReadOnly(true);
    openFolder->setToolTip(QStringLiteral("できたROMファイルのあるフォルダを開きます。"));
    play->setToolTip(QStringLiteral("できたROMファイルをこの画面の中で、ゲームボーイアドバンスと同じ速さで再生します。"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(path, 0, 0, 1, 3);
    layout->addWidget(size, 1, 0, 1, 3);
    layout->addWidget(picture, 2, 0);
    layout->addWidget(rate, 2, 1);
    layout->addWidget(time, 2, 2);
    layout->addWidget(openFolder, 3, 1);
    layout->addWidget(play, 3, 2);
    connect(openFolder, &QPushButton::clicked, this, &RunSummary::OpenFolder);
    connect(play, &QPushButton::clicked, this, [this] { emit playRequested(imagePath); });
    Clear();
}

void RunSummary::Show(const QString& shownPath) {
    Clear();
    imagePath = shownPath;
    path->setText(imagePath);
    path->setCursorPosition(0);
    const ImageFile file = ReadImageFile(imagePath.toStdString());
    const ImageSummary image = SummarizeImage(file.bytes);
    const std::string& fault = !file.error.empty() ? file.error : image.location.error;
    if (!fault.empty() || !image.stream.ok) {
        // The run said it wrote the image: a fault here is the file changing under us.
        size->setText(QStringLiteral("読み込めません: %1")
                          .arg(QString::fromStdString(fault.empty() ? image.stream.error : fault)));
        return;
    }
    const MovieStreamInfo& stream = image.stream.info;
    size->setText(SizeText(image.imageBytes));
    picture->setText(QStringLiteral("画像: %1 × %2").arg(stream.width).arg(stream.height));
    rate->setText(QStringLiteral("%1 fps").arg(image.figures.framesPerSecond, 0, 'f', 3));
    time->setText(QStringLiteral("再生時間: %1 秒").arg(image.figures.movieSeconds, 0, 'f', 3));
    openFolder->setEnabled(true);
    play->setEnabled(true);
}

void RunSummary::Clear() {
    imagePath.clear();
    for (QLabel* label : {size, picture, rate, time}) label->clear();
    path->clear();
    openFolder->setEnabled(false);
    play->setEnabled(false);
}

void RunSummary::OpenFolder() { QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(imagePath).absolutePath())); }
