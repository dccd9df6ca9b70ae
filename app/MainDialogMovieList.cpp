// MainDialog: several movies behind a menu. The list lives in its own window; while it holds two
// or more movies the movie field names how many and cannot be typed in, and Process makes a
// menu image of them with the dialog's settings. With one movie or none it is today's dialog.
#include <QLineEdit>

#include "app/ControlIds.h"
#include "app/MainDialog.h"
#include "app/MessageBox.h"
#include "app/MovieListWindow.h"
#include "menu/MenuPreparation.h"

void MainDialog::OpenMovieList() {
    if (!movieList) {
        movieList = new MovieListWindow(this);
        connect(movieList, &MovieListWindow::listChanged, this, &MainDialog::ShowMovieList);
        // The movie already chosen is the list's first.
        if (const QString movie = Edit(kMovieFileEdit).text(); !movie.isEmpty()) movieList->AddMovies({movie});
    }
    movieList->show();
    movieList->raise();
    movieList->activateWindow();
}

bool MainDialog::SeveralMovies() const { return movieList && movieList->Count() >= 2; }

void MainDialog::ShowMovieList() {
    QLineEdit& movie = Edit(kMovieFileEdit);
    const bool several = SeveralMovies();
    if (several) {
        movie.setText(QStringLiteral("%1 本の動画（メニュー付き）").arg(movieList->Count()));
    } else if (movie.isReadOnly()) {
        // Back to one movie (or none): the field holds it, as if it had been chosen alone.
        const std::vector<MenuChoice> left = movieList->Choices();
        movie.setText(left.empty() ? QString() : QString::fromStdString(left.front().moviePath));
    }
    movie.setReadOnly(several);
    request.moviePath = movie.text().toStdString();
    UpdateEnabling();
}

bool MainDialog::PrepareMenuRun() {
    const std::vector<MenuChoice> choices = movieList->Choices();
    std::string fault = CheckMenuChoices(choices, request.outputPath, SettingSource::Dialog).value_or("");
    if (fault.empty() && PrepareMenu(choices, menuRequest, fault)) return true;
    ShowMessageBox(this, QMessageBox::Critical, QStringLiteral("パラメータエラー"), QString::fromStdString(fault));
    return false;
}

std::function<void()> MainDialog::RunProcedure() {
    // The thread holds its own copy of the procedure; it reads the request in place.
    if (!SeveralMovies()) return [procedure = worker, &settings = request] { procedure(settings); };
    menuRequest.settings = request;
    menuRequest.settings.moviePath = menuRequest.movies.front().moviePath;
    return [procedure = menuWorker, &menu = menuRequest] { procedure(menu); };
}
