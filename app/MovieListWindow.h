#pragma once
// The window behind the movie field's "複数..." button: the movies of a menu image, in the
// order the menu shows them, each with its title (the file's name until the user types one).
// Add takes several files at once; Remove, Up and Down act on the selected movie.
#include <QDialog>

#include <vector>

#include "menu/MenuPreparation.h"

class QTableWidget;

class MovieListWindow : public QDialog {
    Q_OBJECT
public:
    explicit MovieListWindow(QWidget* owner);

    // Appends the movies, each titled by its file's name without the extension.
    void AddMovies(const QStringList& paths);
    // The list as the menu takes it, titles as shown.
    std::vector<MenuChoice> Choices() const;
    int Count() const;

signals:
    void listChanged();

private:
    void BrowseMovies();
    void RemoveSelected();
    void MoveSelected(int step);

    QTableWidget* table;  // a Qt child: column 0 the title (editable), column 1 the path
};
