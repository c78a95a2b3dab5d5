// The clip table's side of the controller: the movie-file test and the reaction to its selection.
#include "window/OrvantaWindowController.h"

#include "platform/media/MovieFileType.h"

bool OrvantaWindowController::isMovieURL(const QUrl& url) {
    return ::isMovieURL(url);
}

void OrvantaWindowController::tableViewSelectionDidChange() {
    // Making the first selected clip the current movie, with the playlist's volume and speed, comes
    // with the transport; the selection itself is already the clips controller's.
}
