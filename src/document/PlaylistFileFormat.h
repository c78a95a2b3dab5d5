#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class OrvantaDocument;

// The playlist file: a keyed archive whose root dictionary holds
//   settings              the settings dictionary as held (numbers keep their kind; unknown keys stay)
//   isDynamicPlaylist     boolean
//   clips                 standard: each clip's bookmark data, or the null marker; dynamic: empty
//   clipCollection        standard: per clip {url, bookmark?, secureBookmark?}
//   dynamicSourceFolder, includeSubdirectories, bookmark?, secureBookmark?   dynamic only
//   selectedDisplay?      the chosen display (see SelectedDisplay); absent while it is the main display
// Root keys this version does not know are kept by the document and written back after these.
// Reading resolves each reference (security-scoped bookmark, then plain bookmark, then the stored URL;
// each resolution judged on its own) and opens every movie. Clips read back carry fresh bookmarks and
// no poster. A clip whose movie does not open (its file gone, or not a movie) is kept in its place as
// a missing clip (see MissingClip) holding the url and bookmark data of its entry unchanged, so that
// writing puts them back as they were; its path is listed in missingItems. Only an entry that refers
// to nothing at all, and an element of `clips` that is not bookmark data, are left out.
namespace PlaylistFileFormat {

std::optional<QByteArray> write(const OrvantaDocument& document, QString* error);

struct ReadOptions {
    // false: every resolved URL becomes a clip without a movie or duration, none of them missing
    bool openMovies = true;
};

// Fills the document from the data. Anything that is not a playlist of this layout is refused with a
// sentence saying what is wrong, and the document is left as it was.
bool read(const QByteArray& data, OrvantaDocument& document, QString* error, const ReadOptions& options = {});

} // namespace PlaylistFileFormat
