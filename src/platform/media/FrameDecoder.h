#pragma once

#include "platform/media/VideoImage.h"

#include <QString>
#include <optional>

// Decodes single pictures of a movie file for thumbnails. Each call opens the file, decodes on the
// calling thread with one decoding thread, and closes everything before it returns. Thread-safe.
class FrameDecoder {
public:
    // `streamIndex` is the picture stream found by FfmpegProbe for the same file.
    FrameDecoder(QString path, int streamIndex, int maxWidth);

    // The first picture of the stream.
    std::optional<VideoImage> firstFrame() const;

    // The last picture whose time is at or before `seconds` from the movie's start. Nothing when the
    // stream ends before that time, when nothing decodes, or when a packet turns out to be encrypted.
    std::optional<VideoImage> frameAtTime(double seconds) const;

private:
    std::optional<VideoImage> decode(std::optional<double> seconds) const;

    QString m_path;
    int m_streamIndex;
    int m_maxWidth;
};
