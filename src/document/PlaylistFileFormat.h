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
// Reading resolves each reference (security-scoped bookmark, then plain bookmark, then the stored URL;
// each resolution judged on its own), opens every movie, drops the clips that do not open and, for a
// file that holds only `clips`, collects the files that are gone in missingItems. Clips read back
// carry fresh bookmarks and no poster.
namespace PlaylistFileFormat {

std::optional<QByteArray> write(const OrvantaDocument& document, QString* error);

struct ReadOptions {
    bool openMovies = true; // false: every resolved URL becomes a clip without a movie or duration
};

// Fills the document from the data. Anything that is not a playlist of this layout is refused with a
// sentence saying what is wrong, and the document is left as it was.
bool read(const QByteArray& data, OrvantaDocument& document, QString* error, const ReadOptions& options = {});

} // namespace PlaylistFileFormat
