#pragma once

#include "platform/media/FfmpegPtr.h"

#include <QString>

// Opens a local file with libavformat, the same way for probing and for decoding, so that stream
// indices and times agree between the two. FFmpeg error codes become a message here.
// Thread-safe: each call opens its own context.
class FfmpegInput {
public:
    struct Result {
        FormatContextPtr context; // null on failure
        QString error;
    };

    // Opens and reads the stream parameters; the full stream analysis runs only for containers whose
    // headers leave codec parameters or durations unknown.
    static Result open(const QString& path);

    // The time at which the movie begins, in the stream's time base: the earliest start of its picture
    // and sound streams when that is positive (transport streams begin at an arbitrary clock value),
    // else 0.
    static int64_t movieStart(const AVFormatContext* context, const AVStream* stream);

    // Whether the container is an ISO media / QuickTime file (whose track-enabled flag FFmpeg reports
    // as the default disposition).
    static bool isIsoMedia(const AVFormatContext* context);

    // Whether the container is Matroska or WebM.
    static bool isMatroska(const AVFormatContext* context);

    static QString errorText(int code);
};
