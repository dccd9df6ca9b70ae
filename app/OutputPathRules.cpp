#include "app/OutputPathRules.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kImageExtension = QStringLiteral("gba");

}  // namespace

QString SuggestedOutputPath(const QString& moviePath) {
    const QFileInfo movie(moviePath);
    return QDir(movie.path()).filePath(movie.completeBaseName() + '.' + kImageExtension);
}

QString WithImageExtension(const QString& outputPath) {
    const QFileInfo output(outputPath);
    if (outputPath.isEmpty() || outputPath.endsWith('/') || output.isDir() || !output.suffix().isEmpty())
        return outputPath;
    // "movie." has an empty extension: it takes the dot it already has.
    return outputPath + (outputPath.endsWith('.') ? kImageExtension : '.' + kImageExtension);
}
