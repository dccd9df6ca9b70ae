#pragma once
// What the last successful run made, shown below the settings until the next run starts: the
// image's path, its size and the smallest common cartridge that takes it, the picture size,
// frame rate and playing time (the figures kavro-cli inspect tells), with buttons that open
// its folder and play it.
#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

class RunSummary : public QGroupBox {
    Q_OBJECT
public:
    explicit RunSummary(QWidget* parent);

    // Reads the image at `imagePath` and shows its figures; an image that cannot be read
    // shows why instead.
    void Show(const QString& imagePath);
    // Nothing made (yet): the figures are empty and the buttons disabled.
    void Clear();

signals:
    void playRequested(const QString& imagePath);

private:
    void OpenFolder();

    QString imagePath;
    QLineEdit* path;  // Qt children of this box
    QLabel* size;
    QLabel* picture;
    QLabel* rate;
    QLabel* time;
    QPushButton* openFolder;
    QPushButton* play;
};
