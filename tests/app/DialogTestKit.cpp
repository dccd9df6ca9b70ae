#include "tests/app/DialogTestKit.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

void TypeInto(QLineEdit& edit, const QString& text) {
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(&edit, c.toLatin1());
            continue;
        }
        // Japanese text arrives through the input method, committed one character at a time here.
        QInputMethodEvent commit;
        commit.setCommitString(c);
        QApplication::sendEvent(&edit, &commit);
    }
}

void ChooseListItem(QComboBox& list, int index) {
    list.setFocus();
    while (list.currentIndex() < index) QTest::keyClick(&list, Qt::Key_Down);
    while (list.currentIndex() > index) QTest::keyClick(&list, Qt::Key_Up);
}

QStringList ListItems(QComboBox& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items << list.itemText(i);
    return items;
}

void DropPaths(QWidget& target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const QPoint centre = target.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

void PressEnter(QWidget& window) { QTest::keyClick(&window, Qt::Key_Return); }

void AcceptFileDialog(QWidget& fileDialog, const QString& path) {
    auto& dialog = dynamic_cast<QFileDialog&>(fileDialog);
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QPushButton* accept = buttons->button(dialog.acceptMode() == QFileDialog::AcceptOpen ? QDialogButtonBox::Open : QDialogButtonBox::Save);
    // An open dialog enables its button only once its folder view lists the file, which it
    // reads in the background; typing the name again looks again.
    name->setCompleter(nullptr);  // its popup would take the click
    dialog.selectFile(path);
    const bool enabled = QTest::qWaitFor([&] {
        if (accept->isEnabled()) return true;
        name->clear();
        QTest::keyClicks(name, path);
        return accept->isEnabled();
    }, 5000);
    if (!enabled) qWarning("the file dialog kept its button disabled");
    QTest::mouseClick(accept, Qt::LeftButton);
}

ModalWatcher::ModalWatcher(Answer onOtherWindow, Answer onMessageBox)
    : onOtherWindow(std::move(onOtherWindow)), onMessageBox(onMessageBox ? std::move(onMessageBox) : PressEnter) {
    connect(&timer, &QTimer::timeout, this, &ModalWatcher::Poll);
    timer.start(10);
}

void ModalWatcher::Poll() {
    QWidget* window = QApplication::activeModalWidget();
    if (!window || !window->isVisible()) return;
    if (window == lastAnswered) {
        // An answer that did not close its window would leave the test waiting for ever.
        if (answeredAt.elapsed() > 5000) {
            qWarning("closing a modal window that its answer left open: %s", qPrintable(window->windowTitle()));
            window->close();
        }
        return;
    }
    lastAnswered = window;
    answeredAt.start();
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        boxes.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButton(box->defaultButton())});
        onMessageBox(*box);
        return;
    }
    ++otherWindows;
    if (onOtherWindow) onOtherWindow(*window);
}
