#pragma once

#include "document/ClipRecord.h"
#include "document/PrivateClipReference.h"

#include <QByteArray>
#include <QList>
#include <QMimeData>
#include <QString>
#include <memory>
#include <optional>

// The data of a drag of clip table rows, as MIME types of our own:
//   MovedRowsType     the dragged rows
//   CopiedRowsType    the dragged clips (URL, name, duration text and bookmarks; no movie, no poster)
//   PrivateClipsType  one PrivateClipReference per dragged clip
// and the clips' files as text/uri-list for other programs. The clipboard (Copy, Cut) carries
// PrivateClipsType and the files as text/uri-list, as plain text (one path a line) and as the copied
// files of file managers (GnomeCopiedFilesType).
//
// Each payload is little-endian: "ORVD", format version (u8), payload kind (u8), element count (u32),
// then the elements. A text is a u32 length and UTF-8; an optional datum a presence byte, then a u32
// length and the bytes; a row a u32. Decoding takes data from any process: it answers nothing for
// anything but exactly one well-formed payload of the asked kind (wrong magic, version or kind, counts or
// lengths beyond the data, bytes left over), and never reserves more than the data could hold.
// Pure functions, any thread.
class ClipPasteboard {
public:
    static const QString MovedRowsType;
    static const QString CopiedRowsType;
    static const QString PrivateClipsType;
    static const QString UriListType;
    static const QString GnomeCopiedFilesType; // "copy", then one URL a line
    static constexpr quint8 kVersion = 1;

    // A dragged clip as the copied-rows payload carries it.
    struct CopiedClip {
        QUrl URL;
        QString name;
        QString qttimeDuration;
        std::optional<QByteArray> bookmark;
        std::optional<QByteArray> secureBookmark;
    };

    static QByteArray encodeMovedRows(const QList<int>& rows);
    static std::optional<QList<int>> decodeMovedRows(const QByteArray& data);
    static QByteArray encodeCopiedRows(const QList<ClipRecordPtr>& clips);
    static std::optional<QList<CopiedClip>> decodeCopiedRows(const QByteArray& data);
    static QByteArray encodePrivateClips(const QList<PrivateClipReference>& references);
    static std::optional<QList<PrivateClipReference>> decodePrivateClips(const QByteArray& data);

    // The whole drag of the given rows and their clips (in ascending row order): the three payloads
    // and the clips' local files as URLs.
    static std::unique_ptr<QMimeData> mimeDataForRows(const QList<int>& rows,
                                                      const QList<ClipRecordPtr>& clips);
    // What Copy puts on the clipboard for the clips.
    static std::unique_ptr<QMimeData> mimeDataForClipboard(const QList<ClipRecordPtr>& clips);
    // The files a paste of the data imports: where our clips lead now (PrivateClipsType), else the movie
    // files of a file manager's copy (text/uri-list, or its copied files). Only existing regular local
    // files: a folder would be walked whole, and a named pipe or a device could block for good.
    static QList<QUrl> filesToPaste(const QMimeData& data);
};
