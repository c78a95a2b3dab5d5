#pragma once

#include "document/ClipRecord.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <functional>

// The widget-free heart of an import run: walks the given files and folders, keeps the movie files
// that open and are not protected, and makes their clip records, in import order.
//
// The walk: a URL that names a folder is listed (hidden entries skipped, entries in file-manager
// order: "clip2" before "clip10"); each entry that is a file is tried as a clip, each subfolder is
// descended into, where it stands, when the run descends into subfolders. A folder named directly in
// the list is always listed. Links to files are followed; a folder whose real path the run has
// already entered is never entered again, so links that lead back cannot loop or import twice.
//
// Probing (opening, the protection test, posters) runs on worker threads inside run(); results are
// merged in walk order. Call from one thread at a time.
class ClipImporter {
public:
    struct Options {
        bool descendIntoSubdirectories = true;
        bool makePosters = true; // the clip table's poster; the command-line tool needs none
        int threads = 0;         // 0: one per core
        // With makePosters: only the check for a frame one second in runs here; a movie that has one
        // gets a Pending poster, to be decoded once its row shows (decodedPoster).
        bool postersLater = false;
    };

    struct Result {
        QList<ClipRecordPtr> importedClips; // in import order
        QStringList DRMClips;               // full paths of the protected movies met, in import order
        bool fileErrorOnImport = false;     // a folder could not be listed
        bool cancelled = false;             // the run stopped early: nothing was imported
    };

    // Called on the calling thread as files are probed: how many are done of how many found.
    using Progress = std::function<void(int done, int total)>;

    explicit ClipImporter(Options options);

    // A flag that, once true, stops a run soon after (any thread may set it; the run checks it between
    // files). The flag must outlive the run.
    void setCancellation(const std::atomic<bool>* cancelled) { m_cancelled = cancelled; }

    Result run(const QList<QUrl>& urls, const Progress& progress = {});
    // The walk of a run alone: the files it would try, in import order; fileError is set when a folder
    // could not be listed.
    QList<QUrl> files(const QList<QUrl>& urls, bool* fileError) const;

    // The clip record of one movie, its keys in order: URL, name, poster, movie, qttimeDuration and the
    // two bookmarks when they can be made.
    static ClipRecordPtr makeClipRecord(const QUrl& url, std::shared_ptr<Movie> movie, PosterImage poster);
    // The movie's poster when it shows a frame one second in, else the missing-item marker.
    static PosterImage posterFor(const Movie& movie);
    // What posterFor answers, without decoding: Pending when the movie shows a frame one second in.
    static PosterImage pendingPosterFor(const Movie& movie);
    // The poster frame that a Pending poster stands for; the missing-item marker when none decodes.
    // Only reads the file: may run on any thread.
    static PosterImage decodedPoster(const Movie& movie);

private:
    void addClipsWithURL(const QUrl& url, bool isDirectory, QList<QUrl>& files, QSet<QString>& entered,
                         bool& fileError) const;
    bool isCancelled() const { return m_cancelled && m_cancelled->load(); }

    Options m_options;
    const std::atomic<bool>* m_cancelled = nullptr;
};
