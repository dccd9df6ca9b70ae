#include "app/FileChooser.h"

#include <QFileDialog>
#include <QStringList>

namespace {

// Qt reads a filter's patterns from its last parentheses, separated by blanks; the
// descriptions keep their own parentheses and show alone (HideNameFilterDetails). The
// patterns name both cases, since file names here are case-sensitive. "*" matches every
// file, as "*.*" does on the host the descriptions were written for.
const QString kAllFiles = QStringLiteral("全てのファイル (*.*) (*)");
const QStringList kMovieFilters = {
    QStringLiteral("動画ファイル (*.avi,*.mpg,*.mpeg) (*.avi *.mpg *.mpeg *.AVI *.MPG *.MPEG)"),
    kAllFiles,
};
const QStringList kOutputFilters = {QStringLiteral("GBAファイル (*.gba) (*.gba *.GBA)"), kAllFiles};

std::optional<QString> Run(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

}  // namespace

std::optional<QString> ChooseMovieFile(QWidget* owner, const QString& current) {
    QFileDialog dialog(owner, QString(), current);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(kMovieFilters);
    return Run(dialog);
}

std::optional<QString> ChooseOutputFile(QWidget* owner, const QString& current) {
    QFileDialog dialog(owner, QString(), current);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QStringLiteral("gba"));
    dialog.setNameFilters(kOutputFilters);
    return Run(dialog);
}
