#pragma once
// Helpers that drive the dialogs as a user would: controls found by their identifiers, list
// choices made with the keyboard, files dropped, and modal windows answered as they open.
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

class QComboBox;
class QLineEdit;
class QWidget;

template <class T>
T* FindControl(QWidget& dialog, int id) {
    return dialog.findChild<T*>(QString::number(id));
}

// Replaces the edit's text by typing it (select all, then keys), so the edit's own input rules apply.
void TypeInto(QLineEdit& edit, const QString& text);
// Chooses a list item with the arrow keys, as a user does; the list reports the choice.
void ChooseListItem(QComboBox& list, int index);
// The list's items, in order.
QStringList ListItems(QComboBox& list);
// Drops these local paths onto the widget, as a file manager does.
void DropPaths(QWidget& target, const QStringList& paths);

struct SeenMessageBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// While it lives, answers every modal window that opens: message boxes are recorded and then
// answered by pressing Enter (their default button) unless another answer is given; any
// other modal window goes to `onOtherWindow`.
class ModalWatcher : public QObject {
public:
    using Answer = std::function<void(QWidget&)>;
    explicit ModalWatcher(Answer onOtherWindow = nullptr, Answer onMessageBox = nullptr);

    const std::vector<SeenMessageBox>& Boxes() const { return boxes; }
    int OtherWindows() const { return otherWindows; }

private:
    void Poll();

    Answer onOtherWindow;
    Answer onMessageBox;
    QTimer timer;
    QPointer<QWidget> lastAnswered;
    QElapsedTimer answeredAt;
    std::vector<SeenMessageBox> boxes;
    int otherWindows = 0;
};

void PressEnter(QWidget& window);
// Types the path into an open or save dialog and presses its Open or Save button once the
// dialog enables it (it does so when its folder view has caught up).
void AcceptFileDialog(QWidget& fileDialog, const QString& path);
