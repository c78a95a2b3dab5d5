#include "document/PrivateClipReference.h"

#include "document/MissingClip.h"

PrivateClipReference PrivateClipReference::forClip(const ClipRecord& clip) {
    return PrivateClipReference{clip.URL, clip.bookmark, clip.secureBookmark};
}

QUrl PrivateClipReference::resolvedURL() const {
    const auto found = MissingClip::locate(secureBookmark, bookmark, url);
    return found ? found->url : QUrl();
}
