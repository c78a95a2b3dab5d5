#pragma once

#include <QString>

// Whether a picture stream shows a frame at a given time, decided from its packets' timestamps alone:
// the file is demuxed, nothing is decoded. It answers as FrameDecoder::frameAtTime finds a picture: a
// frame shows at the time when a packet starts after it (the frame before it, or the stream's first
// frame, is showing then), or when the last packet lasts until at least then. Thread-safe.
class FrameTimeCheck {
public:
    // `streamIndex` is the picture stream found by FfmpegProbe for the same file; `seconds` counts from
    // the movie's start. False for a negative or non-finite time, a file that does not open, a stream
    // without packets, and a stream whose packets are encrypted.
    static bool hasFrameAtTime(const QString& path, int streamIndex, double seconds);
};
