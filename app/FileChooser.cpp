#include "app/FileChooser.h"

#include <QFileDialog>
#include <QStringList>

namespace {

// The containers of movies that people have and FFmpeg reads.
const QStringList kMovieExtensions = {"avi", "mpg", "mpeg", "mp4", "m4v", "mkv", "mov",
                                      "webm", "wmv", "flv", "ts", "m2ts", "ogv"};

// A filter entry: the description lists the extensions as "*.avi,*.mpg"; Qt reads the patterns
// from the last parentheses, separated by blanks, and shows the description alone
// (HideNameFilterDetails). The patterns name both cases, since file names here are
// case-sensitive.
QString Filter(const QString& description, const QStringList& extensions) {
    QStringList patterns, upper;
    for (const QString& extension : extensions) {
        patterns << "*." + extension;
        upper << "*." + extension.toUpper();
    }
    return QStringLiteral("%1 (%2) (%3)").arg(description, patterns.join(','), (patterns + upper).join(' '));
}

// "*" matches every file, as "*.*" does on the host the descriptions were written for.
const QString kAllFiles = QStringLiteral("全てのファイル (*.*) (*)");
const QStringList kMovieFilters = {Filter(QStringLiteral("動画ファイル"), kMovieExtensions), kAllFiles};
const QStringList kOutputFilters = {Filter(QStringLiteral("GBAファイル"), {"gba"}), kAllFiles};

// The chosen files; none when the user cancels.
QStringList Run(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

std::optional<QString> First(const QStringList& files) {
    if (files.isEmpty()) return std::nullopt;
    return files.first();
}

// An open dialog for movies, one or several by `mode`.
QStringList ChooseMovies(QWidget* owner, const QString& current, QFileDialog::FileMode mode) {
    QFileDialog dialog(owner, QString(), current);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(mode);
    dialog.setNameFilters(kMovieFilters);
    return Run(dialog);
}

}  // namespace

std::optional<QString> ChooseMovieFile(QWidget* owner, const QString& current) {
    return First(ChooseMovies(owner, current, QFileDialog::ExistingFile));
}

QStringList ChooseMovieFiles(QWidget* owner, const QString& current) {
    return ChooseMovies(owner, current, QFileDialog::ExistingFiles);
}

std::optional<QString> ChooseOutputFile(QWidget* owner, const QString& current) {
    QFileDialog dialog(owner, QString(), current);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("gba"));
    dialog.setNameFilters(kOutputFilters);
    return First(Run(dialog));
}
