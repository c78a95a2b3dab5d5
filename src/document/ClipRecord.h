#pragma once

#include "platform/media/Movie.h"
#include "platform/media/VideoImage.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>
#include <utility>

// What the clip table shows in the poster column.
struct PosterImage {
    // None: records rebuilt by reading a file carry no poster. Pending: the movie shows a frame one
    // second in, and its poster frame is still being decoded (it becomes Frame, or MissingItem when
    // no frame decodes).
    enum class Kind { None, Frame, MissingItem, Pending };
    Kind kind = Kind::None;
    VideoImage frame; // Kind::Frame only
};

// Why a clip has no movie: its file was not there, or did not open as a movie, when its playlist was
// read or when it was last tried (see MissingClip).
struct MissingFile {
    QString reason; // a sentence for the user
    // Size and modification time (ms since the epoch) of a file that was there but did not open; it is
    // probed again only once either changes. Nothing when the file was not there.
    std::optional<std::pair<qint64, qint64>> triedFile;
};

// One playlist entry. Only URL (stored as "url"), bookmark and secureBookmark ever reach a file.
// Records are shared (a table row, a drag, the current movie's clip); copying a clip makes a new
// record with a new Movie.
//
// A missing clip (missing set) has no movie, poster or duration; its URL and bookmarks are the data its
// playlist file held, unchanged, so that saving writes them back as they were.
struct ClipRecord {
    QUrl URL;
    QString name; // last path component of the file
    PosterImage posterImage;
    std::shared_ptr<Movie> movie;
    QString qttimeDuration; // MovieTime::toString() of the movie's duration
    std::optional<QByteArray> bookmark;
    std::optional<QByteArray> secureBookmark;
    std::optional<MissingFile> missing;
    // Why the player last failed to load or play the movie (a sentence for the user), until it plays
    // again. Not saved: the clip is tried again when its turn comes.
    std::optional<QString> playFailure;

    bool isMissing() const { return missing.has_value(); }
    // Missing, or failed when it last played: the table greys it and gives the reason.
    std::optional<QString> unplayableReason() const {
        return missing ? std::optional<QString>(missing->reason) : playFailure;
    }
};

using ClipRecordPtr = std::shared_ptr<ClipRecord>;
