#include "app/MovieListWindow.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/ControlIds.h"
#include "app/FileChooser.h"

namespace {

enum Column { kTitleColumn, kPathColumn };

QPushButton* AddButton(QBoxLayout& column, int id, const QString& text) {
    auto* button = new QPushButton(text);
    button->setObjectName(QString::number(id));
    column.addWidget(button);
    return button;
}

}  // namespace

MovieListWindow::MovieListWindow(QWidget* owner) : QDialog(owner), table(new QTableWidget(0, 2, this)) {
    setWindowTitle(QStringLiteral("メニューに入れる動画"));
    table->setObjectName(QString::number(kMovieListTable));
    table->setHorizontalHeaderLabels({QStringLiteral("タイトル"), QStringLiteral("ファイル")});
    table->horizontalHeader()->setSectionResizeMode(kPathColumn, QHeaderView::Stretch);
    table->setColumnWidth(kTitleColumn, 160);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->setSectionsMovable(false);

    auto* buttons = new QVBoxLayout;
    connect(AddButton(*buttons, kAddMoviesButton, QStringLiteral("追加(&A)...")), &QPushButton::clicked, this,
            &MovieListWindow::BrowseMovies);
    connect(AddButton(*buttons, kRemoveMovieButton, QStringLiteral("削除(&R)")), &QPushButton::clicked, this,
            &MovieListWindow::RemoveSelected);
    connect(AddButton(*buttons, kMovieUpButton, QStringLiteral("上へ(&U)")), &QPushButton::clicked, this,
            [this] { MoveSelected(-1); });
    connect(AddButton(*buttons, kMovieDownButton, QStringLiteral("下へ(&D)")), &QPushButton::clicked, this,
            [this] { MoveSelected(1); });
    buttons->addStretch();
    connect(AddButton(*buttons, kCloseMovieListButton, QStringLiteral("閉じる")), &QPushButton::clicked, this,
            &QDialog::accept);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(table, 1);
    layout->addLayout(buttons);
    resize(560, 280);
    connect(table, &QTableWidget::itemChanged, this, &MovieListWindow::listChanged);
}

void MovieListWindow::AddMovies(const QStringList& paths) {
    const QSignalBlocker quiet(table);
    for (const QString& path : paths) {
        const int row = table->rowCount();
        table->insertRow(row);
        table->setItem(row, kTitleColumn, new QTableWidgetItem(QFileInfo(path).completeBaseName()));
        auto* file = new QTableWidgetItem(path);
        file->setFlags(file->flags() & ~Qt::ItemIsEditable);
        table->setItem(row, kPathColumn, file);
    }
    emit listChanged();
}

std::vector<MenuChoice> MovieListWindow::Choices() const {
    std::vector<MenuChoice> choices;
    for (int row = 0; row < table->rowCount(); ++row)
        choices.push_back({table->item(row, kPathColumn)->text().toStdString(),
                           table->item(row, kTitleColumn)->text().toStdString(), std::nullopt});
    return choices;
}

int MovieListWindow::Count() const { return table->rowCount(); }

void MovieListWindow::BrowseMovies() {
    const int row = table->currentRow();
    const QString current = row < 0 ? QString() : table->item(row, kPathColumn)->text();
    AddMovies(ChooseMovieFiles(this, current));
}

void MovieListWindow::RemoveSelected() {
    const int row = table->currentRow();
    if (row < 0) return;
    table->removeRow(row);
    emit listChanged();
}

void MovieListWindow::MoveSelected(int step) {
    const int row = table->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= table->rowCount()) return;
    const QSignalBlocker quiet(table);
    for (int column : {kTitleColumn, kPathColumn}) {
        QTableWidgetItem* moved = table->takeItem(row, column);
        table->setItem(row, column, table->takeItem(to, column));
        table->setItem(to, column, moved);
    }
    table->setCurrentCell(to, kTitleColumn);
    emit listChanged();
}
