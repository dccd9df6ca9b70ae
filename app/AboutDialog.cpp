#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ControlIds.h"
#include "app/LinkLabel.h"

namespace {

// The maker's page; a placeholder until the project has a public page of its own.
const QString kMakerAddress = QStringLiteral("https://kavro.example.org/");

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("KAVRO バージョン情報"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/icons/kavro.png")).pixmap(64, 64));
    auto* name = new QLabel(QStringLiteral("KAVRO Version %1\n動画をGBAのROMイメージに変換します").arg(QStringLiteral(KAVRO_VERSION)), this);
    link = new LinkLabel(kMakerAddress, this);
    link->setObjectName(QString::number(kLinkLabel));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(link);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) link->ReleaseHover();
}
