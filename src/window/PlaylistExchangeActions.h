#pragma once

class OrvantaDocument;
class OrvantaWindowController;

// Other players' lists in and out of a playlist window, and the relinking of moved movie files. Import
// Playlist adds the movies of an M3U or XSPF list through the window's import run (a standard
// playlist's only); Export Playlist writes the clips as one. Locate Missing Files asks for a folder and
// relinks the missing clips whose files are found there (ClipRelinker) in one undo step; the rest are
// listed.
namespace PlaylistExchangeActions {
bool hasMissingClips(const OrvantaDocument* playlist);
void importPlaylist(OrvantaWindowController& window);
void exportPlaylist(OrvantaWindowController& window);
void locateMissingFiles(OrvantaWindowController& window);
} // namespace PlaylistExchangeActions
