#include "app/LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

LinkLabel::LinkLabel(const QString& address, QWidget* parent) : QLabel(address, parent) {
    setTextFormat(Qt::PlainText);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

void LinkLabel::ReleaseHover() {
    if (!hovering) return;
    hovering = false;
    unsetCursor();
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (hovering) return;
    hovering = true;
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    ReleaseHover();
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    // Failure to open is not reported: the address stays readable on the label.
    if (!text().isEmpty()) QDesktopServices::openUrl(QUrl(text()));
    event->accept();
}
