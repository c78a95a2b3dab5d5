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

    // Where the reference leads now. Each bookmark is judged on its own, the security-scoped one first:
    // it is taken when it resolves to a URL that is not stale (access to it is then started); the plain
    // one when it resolves to a URL, not stale and without error; otherwise the stored URL. Empty when
    // even that is missing.
    QUrl resolvedURL() const;
};
