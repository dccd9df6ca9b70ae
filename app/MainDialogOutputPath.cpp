// MainDialog: the output path offered for a chosen movie, and the extension a typed one lacks.
#include <QLineEdit>

#include "app/ControlIds.h"
#include "app/MainDialog.h"
#include "app/OutputPathRules.h"

void MainDialog::SuggestOutput() {
    QLineEdit& output = Edit(kOutputFileEdit);
    const QString movie = Edit(kMovieFileEdit).text();
    // A path the user has given is never replaced.
    if (output.text().isEmpty() && !movie.isEmpty()) output.setText(SuggestedOutputPath(movie));
}

void MainDialog::CompleteOutputExtension() {
    QLineEdit& output = Edit(kOutputFileEdit);
    const QString completed = WithImageExtension(output.text());
    if (completed != output.text()) output.setText(completed);
}
