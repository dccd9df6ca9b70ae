#pragma once
// An edit that takes the path of a file or folder dropped onto it: the first dropped item
// only, whatever the others are. Other drags (plain text) behave as in any edit.
#include <QLineEdit>

class DropFileEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DropFileEdit(QWidget* parent);

signals:
    // A dropped path has replaced the text.
    void pathDropped();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
