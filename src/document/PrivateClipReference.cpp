#include "document/PrivateClipReference.h"

#include "platform/bookmarks/Bookmark.h"

PrivateClipReference PrivateClipReference::forClip(const ClipRecord& clip) {
    return PrivateClipReference{clip.URL, clip.bookmark, clip.secureBookmark};
}

QUrl PrivateClipReference::resolvedURL() const {
    if (secureBookmark) {
        const BookmarkResolution r = resolveBookmarkData(*secureBookmark);
        if (!r.url.isEmpty() && !r.isStale) {
            startAccessingSecurityScopedResource(r.url);
            return r.url;
        }
    }
    if (bookmark) {
        const BookmarkResolution r = resolveBookmarkData(*bookmark);
        if (!r.url.isEmpty() && !r.isStale && r.error.isEmpty())
            return r.url;
    }
    return url;
}
