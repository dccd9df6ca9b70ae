#pragma once
// A text label that is a link to itself: its text, an address, is shown underlined, the hand
// cursor shows while the pointer is over it, and a left click opens the text through the
// desktop. A label with empty text does nothing when clicked.
#include <QLabel>

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& address, QWidget* parent);

    // Drops the hover state: the label's cursor gives way to the one around it again.
    void ReleaseHover();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool hovering = false;
};
