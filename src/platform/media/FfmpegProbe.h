#pragma once

#include "platform/media/MovieTime.h"

#include <QString>

// What Movie::open learns from one pass over a file: its streams, exact duration and protection.
// The file is closed again before probe() returns. Thread-safe.
class FfmpegProbe {
public:
    struct Info {
        MovieTime duration;
        bool hasVideo = false;
        bool hasAudio = false;
        bool isProtected = false;      // the first enabled audio stream is encrypted
        bool videoIsEncrypted = false; // the picture stream is encrypted: never decode it
        int videoStreamIndex = -1;
    };
    struct Result {
        bool ok = false;
        Info info;
        QString error; // why the file is not a movie, when !ok
    };

    static Result probe(const QString& path);
};
