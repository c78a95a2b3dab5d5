#include "platform/media/MovieFileType.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace {

bool isVideoType(const QMimeType& type) {
    return type.name().startsWith(QLatin1String("video/"));
}

} // namespace

bool isMovieURL(const QUrl& url) {
    if (!url.isLocalFile())
        return false;
    const QString path = url.toLocalFile();
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    const QMimeDatabase database;
    if (isVideoType(database.mimeTypeForFile(path)))
        return true;
    return isVideoType(database.mimeTypeForFile(path, QMimeDatabase::MatchContent));
}
