#pragma once

#include "platform/media/Movie.h"
#include "platform/media/VideoImage.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

// What the clip table shows in the poster column.
struct PosterImage {
    enum class Kind { None, Frame, MissingItem };
    Kind kind = Kind::None; // None: records rebuilt by reading a file carry no poster
    VideoImage frame;       // Kind::Frame only
};

// One playlist entry. Only URL (stored as "url"), bookmark and secureBookmark ever reach a file.
// Records are shared (a table row, a drag, the current movie's clip); copying a clip makes a new
// record with a new Movie.
struct ClipRecord {
    QUrl URL;
    QString name; // last path component of the file
    PosterImage posterImage;
    std::shared_ptr<Movie> movie;
    QString qttimeDuration; // MovieTime::toString() of the movie's duration
    std::optional<QByteArray> bookmark;
    std::optional<QByteArray> secureBookmark;
};

using ClipRecordPtr = std::shared_ptr<ClipRecord>;
