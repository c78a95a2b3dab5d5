#pragma once

#include <QString>
#include <QUrl>
#include <functional>

// The built-in demo: a few short clips made with the ffmpeg program and a saved dynamic playlist over
// them, looping and playing when opened. Everything lives in the user's data folder and is made once;
// later starts open the playlist that is already there.
class DemoPlaylist {
public:
    struct Result {
        QUrl playlist; // the playlist file; empty on failure
        QString error; // why it could not be made, for the user
        bool cancelled = false;
        explicit operator bool() const { return !playlist.isEmpty(); }
    };
    // done of total clips made so far; called on the calling thread while ffmpeg runs, often enough to
    // keep a window painted.
    using Progress = std::function<void(int done, int total)>;
    // Asked as often as the progress; true stops the making (the clip being made is let go).
    using Cancelled = std::function<bool()>;

    // <data folder>/Demo, holding Clips/ and the playlist.
    static QString demoFolder();
    static QString playlistPath();
    static int clipCount();

    // Makes what is missing and answers the playlist. Needs the ffmpeg program only when clips are missing.
    static Result prepare(const Progress& progress = {}, const Cancelled& cancelled = {});
    // prepare() with a progress window ("Preparing the demo…"); failures are shown to the user, a
    // cancelled making is not.
    static QUrl prepareShowingProgress(const Cancelled& cancelled = {});
};
