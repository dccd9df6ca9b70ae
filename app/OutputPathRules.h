#pragma once
// How the dialog helps with the output path: a name offered for a chosen movie, and the
// extension a typed name leaves out.
#include <QString>

// The movie's own name with ".gba", in the movie's folder (/films/movie.mp4 -> /films/movie.gba).
QString SuggestedOutputPath(const QString& moviePath);
// The path with ".gba" when its file name has no extension; a path that names a folder, or
// nothing, stays as it is.
QString WithImageExtension(const QString& outputPath);
