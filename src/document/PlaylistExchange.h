#pragma once

#include "document/ClipRecord.h"
#include "document/ExchangeEntry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// Playlists in other players' formats, in and out: which format a file name stands for, the entries of
// a playlist's clips, and reading and writing whole list files (written through SafeFile, so an
// existing file is never left half-written).
namespace PlaylistExchange {

enum class Format { M3u, Xspf };

// By the name's extension (.m3u, .m3u8, .xspf; any case); nothing for other names.
std::optional<Format> formatForPath(const QString& path);
// "m3u" (or "m3u8") and "xspf".
std::optional<Format> formatNamed(const QString& name);

// One entry per clip, in order: its file, its name and its duration when its movie is known. A missing
// clip is written with the location its playlist holds.
QList<ExchangeEntry> entriesOfClips(const QList<ClipRecordPtr>& clips);

// Reads the list file at the absolute path in its format (by its extension); the error says why not, in
// a sentence that names the file.
ExchangeReadResult readList(const QString& path);

// Writes the clips as a list file of the format at the absolute path; the title is XSPF's. Answers the
// error in a sentence naming the file, or nothing when it was written.
std::optional<QString> writeList(const QString& path, Format format, const QList<ClipRecordPtr>& clips,
                                 const QString& title);

// The entries whose files are there, and the paths of those that are not, in the list's order.
struct Split {
    QList<QUrl> present;
    QStringList missing;
};
Split splitByPresence(const QList<ExchangeEntry>& entries);

} // namespace PlaylistExchange
