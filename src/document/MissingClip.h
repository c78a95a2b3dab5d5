#pragma once

#include "document/ClipRecord.h"
#include "platform/bookmarks/Bookmark.h"

#include <QByteArray>
#include <QUrl>
#include <optional>

// Clips whose movie file is missing (a drive or share not mounted yet, a file not copied yet) or does
// not open as a movie. Such a clip stays in its playlist with the references its file held, is skipped
// in playback, and becomes a clip like any other once its file opens again.
namespace MissingClip {

// Where a clip's file is, found as the playlist reader finds it: the security-scoped bookmark when it
// resolves cleanly (access is started), else the plain bookmark when it resolves cleanly, else the
// stored URL. A clean resolution gives a URL, not stale, with no error; each is judged on its own.
struct Location {
    QUrl url;
    std::optional<Bookmark> bookmark; // the bookmark that resolved cleanly, if one did
};
std::optional<Location> locate(const std::optional<QByteArray>& secureBookmark,
                               const std::optional<QByteArray>& bookmark, const QUrl& storedURL);

// Sets the clip's two bookmarks to fresh ones of the location. A bookmark that has just resolved
// cleanly is byte for byte what a new one would be, so it is reused rather than made again.
void setFreshBookmarks(ClipRecord& clip, const Location& location);

// The record of a clip whose movie did not open at `lookedAt`: it keeps URL and bookmark data exactly
// as given (what a save writes back), is named after the URL's last path component, and has no movie,
// poster or duration. The reason comes from the file's state and the opening's error.
ClipRecordPtr makeRecord(const QUrl& url, std::optional<QByteArray> bookmark,
                         std::optional<QByteArray> secureBookmark, const QUrl& lookedAt,
                         const QString& openError);

// The path a missing clip is listed under: where its file was looked for.
QString displayedPath(const QUrl& url);

// Tries a missing clip's file again. When its movie opens now, the clip gets the movie, its duration,
// a poster (when asked for) and fresh bookmarks, is missing no more, and the answer is true. Otherwise
// it stays missing, with the reason as it now stands. A file that is there but did not open is probed
// again only once its size or modification time has changed, so trying costs a stat until then.
// Probes on the calling thread.
bool reopen(ClipRecord& clip, bool makePoster = true);

} // namespace MissingClip
