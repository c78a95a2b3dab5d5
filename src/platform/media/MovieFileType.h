#pragma once

#include <QUrl>

// The movie-file test: whether a URL names a local file whose type is a video type. The type is the
// one the MIME database gives for the file (by name, and by content where the name says nothing or
// is ambiguous); where that is not a video type, the type by content alone decides, because some
// movie extensions are claimed by other types (".ts" is also a Qt translation file).
// Folders and non-local URLs are not movies. Thread-safe.
bool isMovieURL(const QUrl& url);
