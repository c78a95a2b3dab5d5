#include "document/MissingClip.h"

#include "document/ClipImporter.h"
#include "platform/media/Movie.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

std::optional<MissingClip::Location> resolveClean(const std::optional<QByteArray>& data) {
    if (!data)
        return std::nullopt;
    BookmarkResolution r = resolveBookmarkData(*data);
    if (r.url.isEmpty() || r.isStale || !r.error.isEmpty())
        return std::nullopt;
    return MissingClip::Location{r.url, std::move(r.bookmark)};
}

QString lastPathComponent(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// Size and modification time of a regular file; nothing when there is none at the URL.
std::optional<std::pair<qint64, qint64>> fileStamp(const QUrl& url) {
    if (!url.isLocalFile())
        return std::nullopt;
    const QFileInfo info(url.toLocalFile());
    if (!info.exists() || info.isDir())
        return std::nullopt;
    return std::pair{info.size(), info.lastModified().toMSecsSinceEpoch()};
}

MissingFile missingFile(const QUrl& url, const QString& openError) {
    const QString path = MissingClip::displayedPath(url);
    if (!url.isLocalFile())
        return {QStringLiteral("“%1” is not a local file.").arg(path), std::nullopt};
    const auto stamp = fileStamp(url);
    if (!stamp)
        return {QStringLiteral("The file “%1” cannot be found.").arg(path), std::nullopt};
    // Opening errors name the path first; the sentence names it already.
    QString why = openError;
    if (why.startsWith(path + QStringLiteral(": ")))
        why = why.mid(path.size() + 2);
    return {QStringLiteral("The file “%1” does not open as a movie: %2").arg(path, why), stamp};
}

} // namespace

std::optional<MissingClip::Location> MissingClip::locate(const std::optional<QByteArray>& secureBookmark,
                                                         const std::optional<QByteArray>& bookmark,
                                                         const QUrl& storedURL) {
    if (auto found = resolveClean(secureBookmark)) {
        startAccessingSecurityScopedResource(found->url);
        return found;
    }
    if (auto found = resolveClean(bookmark))
        return found;
    if (!storedURL.isEmpty())
        return Location{storedURL, std::nullopt};
    return std::nullopt;
}

void MissingClip::setFreshBookmarks(ClipRecord& clip, const Location& location) {
    std::optional<Bookmark> made =
        location.bookmark ? location.bookmark : Bookmark::forUrl(location.url, false);
    if (!made) {
        clip.bookmark.reset();
        clip.secureBookmark.reset();
        return;
    }
    clip.bookmark = made->withSecurityScope(false).toData();
    clip.secureBookmark = made->withSecurityScope(true).toData();
}

QString MissingClip::displayedPath(const QUrl& url) {
    return url.isLocalFile() ? url.toLocalFile() : url.toString();
}

ClipRecordPtr MissingClip::makeRecord(const QUrl& url, std::optional<QByteArray> bookmark,
                                      std::optional<QByteArray> secureBookmark, const QUrl& lookedAt,
                                      const QString& openError) {
    auto record = std::make_shared<ClipRecord>();
    record->URL = url;
    record->name = lastPathComponent(url.path());
    record->bookmark = std::move(bookmark);
    record->secureBookmark = std::move(secureBookmark);
    record->missing = missingFile(lookedAt, openError);
    return record;
}

bool MissingClip::reopen(ClipRecord& clip, bool makePoster) {
    if (!clip.missing)
        return clip.movie != nullptr;
    const Location location =
        locate(clip.secureBookmark, clip.bookmark, clip.URL).value_or(Location{clip.URL, std::nullopt});
    const auto stamp = fileStamp(location.url);
    if (stamp && stamp == clip.missing->triedFile)
        return false;
    Movie::OpenResult opened = stamp ? Movie::open(location.url) : Movie::OpenResult{};
    if (!opened) {
        clip.missing = missingFile(location.url, opened.error.message);
        return false;
    }
    clip.URL = location.url;
    clip.name = lastPathComponent(location.bookmark ? location.bookmark->path() : location.url.path());
    clip.posterImage = makePoster ? ClipImporter::posterFor(*opened.movie) : PosterImage{};
    clip.qttimeDuration = opened.movie->duration().toString();
    clip.movie = std::move(opened.movie);
    setFreshBookmarks(clip, location);
    clip.missing.reset();
    return true;
}
