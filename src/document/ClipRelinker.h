#pragma once

#include "document/ClipRecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// Finds the files of a playlist's missing clips in a folder they were moved to: the folder is walked as
// an import walks it (subfolders included), each missing clip is matched by file name (RelinkPlan: the
// closest relative path wins), and a match whose movie opens (and is not protected) gives the clip's
// new record: same name, the new file, its movie, duration, poster and fresh bookmarks. The playlist
// itself is not touched; OrvantaDocument::replaceClipsAtRows applies the result.
//
// Probing runs on worker threads inside relink(); call it from one thread at a time.
namespace ClipRelinker {

struct Result {
    QList<std::pair<int, ClipRecordPtr>> relinked; // row and new record, in row order
    QStringList relinkedFrom;                      // the old path of each relinked clip, in the same order
    QStringList stillMissing;     // old paths of the missing clips not relinked, in row order
    bool folderNotListed = false; // a folder of the walk could not be listed
};

Result relink(const QList<ClipRecordPtr>& clips, const QString& folder, bool makePosters);

// The path a missing clip's file was last looked for at.
QString oldPathOf(const ClipRecord& clip);

} // namespace ClipRelinker
