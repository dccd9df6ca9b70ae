#pragma once
// The dialog's message boxes: modal, owned by the dialog, texts shown as plain text (a path or
// an error text may hold characters that would otherwise read as markup).
#include <QMessageBox>

QMessageBox::StandardButton ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// "KAVRO": the title of the window and of the program's own messages.
QString ProgramTitle();
