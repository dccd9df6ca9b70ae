#pragma once
// The about box (template 131): the program's name and version, and the maker's address as a
// link (control 1020).
#include <QDialog>

class LinkLabel;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);

protected:
    // Losing or gaining activation ends the link's hover, so its hand cursor never lingers.
    void changeEvent(QEvent* event) override;

private:
    LinkLabel* link = nullptr;  // Qt child of the dialog
};
