#pragma once
// The two file dialogs of the Browse buttons. Each starts at the path currently in its field
// (its folder, with the file selected when it names one) and gives the chosen file's full
// path, or nothing when the user cancels.
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// An existing movie file; filters "動画ファイル (*.avi,*.mpg,...)", every container people have
// that FFmpeg reads, and "全てのファイル (*.*)".
std::optional<QString> ChooseMovieFile(QWidget* owner, const QString& current);
// Existing movie files, as many as the user selects (none when cancelled); the same filters.
QStringList ChooseMovieFiles(QWidget* owner, const QString& current);
// A cartridge image to write, in an existing folder, default extension "gba"; no overwrite
// question here, the Process button asks. Filters "GBAファイル (*.gba)" and "全てのファイル (*.*)".
std::optional<QString> ChooseOutputFile(QWidget* owner, const QString& current);
