#include "document/ClipRelinker.h"

#include "document/ClipImporter.h"
#include "document/MissingClip.h"
#include "document/RelinkPlan.h"
#include "platform/ParallelFor.h"
#include "platform/bookmarks/Bookmark.h"
#include "platform/media/MovieFileType.h"

#include <vector>

QString ClipRelinker::oldPathOf(const ClipRecord& clip) {
    const auto location = MissingClip::locate(clip.secureBookmark, clip.bookmark, clip.URL);
    return MissingClip::displayedPath(location ? location->url : clip.URL);
}

ClipRelinker::Result ClipRelinker::relink(const QList<ClipRecordPtr>& clips, const QString& folder,
                                          bool makePosters) {
    Result result;
    QList<int> rows;
    QStringList oldPaths;
    for (int row = 0; row < clips.size(); ++row) {
        if (clips[row] && clips[row]->isMissing()) {
            rows.append(row);
            oldPaths.append(oldPathOf(*clips[row]));
        }
    }
    if (rows.isEmpty())
        return result;

    const ClipImporter walker({true, false, 0});
    QStringList found;
    for (const QUrl& url : walker.files({QUrl::fromLocalFile(folder)}, &result.folderNotListed))
        found.append(url.toLocalFile());
    const QStringList matches = RelinkPlan::match(oldPaths, found);

    std::vector<ClipRecordPtr> made(size_t(rows.size()));
    parallelFor(rows.size(), [&](qsizetype i) {
        const QUrl url = QUrl::fromLocalFile(matches[i]);
        if (matches[i].isEmpty() || !isMovieURL(url))
            return;
        Movie::OpenResult opened = Movie::open(url);
        if (!opened || opened.movie->isProtected())
            return;
        auto record = std::make_shared<ClipRecord>(*clips[rows[i]]);
        record->URL = url;
        record->posterImage = makePosters ? ClipImporter::posterFor(*opened.movie) : PosterImage{};
        record->qttimeDuration = opened.movie->duration().toString();
        record->movie = std::move(opened.movie);
        record->bookmark = bookmarkData(url, false);
        record->secureBookmark = bookmarkData(url, true);
        record->missing.reset();
        record->playFailure.reset();
        made[size_t(i)] = std::move(record);
    });
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (made[size_t(i)]) {
            result.relinked.append({rows[i], made[size_t(i)]});
            result.relinkedFrom.append(oldPaths[i]);
        } else {
            result.stillMissing.append(oldPaths[i]);
        }
    }
    return result;
}
