#include "app/DropFileEdit.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

bool CarriesFiles(const QMimeData* data) { return data->hasUrls() && !data->urls().isEmpty(); }

}  // namespace

DropFileEdit::DropFileEdit(QWidget* parent) : QLineEdit(parent) { setAcceptDrops(true); }

void DropFileEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (CarriesFiles(event->mimeData())) event->acceptProposedAction();
    else QLineEdit::dragEnterEvent(event);
}

void DropFileEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (CarriesFiles(event->mimeData())) event->acceptProposedAction();
    else QLineEdit::dragMoveEvent(event);
}

void DropFileEdit::dropEvent(QDropEvent* event) {
    if (!CarriesFiles(event->mimeData())) {
        QLineEdit::dropEvent(event);
        return;
    }
    const QUrl first = event->mimeData()->urls().first();
    if (!first.isLocalFile()) {
        event->ignore();  // only paths on this machine can be converted or written
        return;
    }
    // cleanPath drops the trailing separator of a dropped folder.
    setText(QDir::cleanPath(first.toLocalFile()));
    event->acceptProposedAction();
    emit pathDropped();
}
