#pragma once

#include "document/ClipRecord.h"

#include <QByteArray>
#include <QUrl>
#include <optional>

// What a dragged clip carries to another playlist window: its file URL and, when the clip has them,
// its two bookmarks. The receiving window makes a new clip from the file, never shares the record.
struct PrivateClipReference {
    QUrl url;
    std::optional<QByteArray> bookmark;
    std::optional<QByteArray> secureBookmark;

    static PrivateClipReference forClip(const ClipRecord& clip);

    // Where the reference leads now: the first of the security-scoped bookmark, the plain one and the
    // stored URL that leads somewhere (MissingClip::locate). Empty when even the URL is missing.
    QUrl resolvedURL() const;
};
