#pragma once

#include "platform/media/MovieTime.h"
#include "platform/media/VideoImage.h"

#include <QString>
#include <QUrl>
#include <memory>
#include <optional>

// A movie file that opened as a movie, with its playback state.
//
// Opening probes the file once (container, streams, exact duration, the protection test) and closes
// it again: a Movie holds no file descriptor and no decoder, so a playlist may hold thousands. Images
// are decoded on request by reopening the file.
//
// Each clip record owns its own Movie (shared with the window controller's current movie). The player
// reads the playback state when it attaches the movie and writes it back when it lets it go.
// Main thread only, except open() and the image calls, which only read the file and may run on a
// worker thread.
class Movie {
public:
    struct OpenError {
        QString message; // why the file is not a movie, for logs and the command-line tool
    };
    struct OpenResult {
        std::shared_ptr<Movie> movie; // null on failure
        OpenError error;
        explicit operator bool() const { return movie != nullptr; }
    };

    // Probes the file at a local file URL. Fails, with a message, for other URLs and for files that
    // are empty, unreadable, damaged or without a decodable video or audio stream.
    static OpenResult open(const QUrl& url);

    QUrl url() const { return m_url; }
    QString path() const { return m_url.toLocalFile(); }

    // The exact duration: the longest stream's end (from the movie's start) in that stream's own time
    // base, e.g. 25600/12800 for 2 s of H.264 in mp4. Matroska/WebM: the container's, in milliseconds.
    MovieTime duration() const { return m_duration; }
    bool hasVideo() const { return m_hasVideo; }
    bool hasAudio() const { return m_hasAudio; }

    // The protection test: the first enabled sound track is encrypted.
    bool isProtected() const { return m_isProtected; }

    // The frame at the poster time (the start), as a thumbnail at most maxWidth pixels wide (keeping
    // the displayed aspect, never enlarged; maxWidth <= 0 keeps the full size). Nothing without a
    // picture stream, when no frame decodes, or when the video track is encrypted.
    std::optional<VideoImage> posterImage(int maxWidth = 320) const;
    // The last frame whose time is at or before the given time (seconds from the movie's start);
    // nothing when the video ends before that time, when no frame decodes, or when the video track
    // is encrypted. A 1 s clip still shows its last frame at 1 s; a 0.5 s clip shows nothing.
    std::optional<VideoImage> frameImageAtTime(double seconds, int maxWidth = 320) const;
    // Whether frameImageAtTime would find a frame, from the packets' timestamps: the file is read but
    // nothing is decoded, so it costs a small part of the image.
    bool hasFrameAtTime(double seconds) const;

    // Playback state.
    double currentTime() const { return m_currentTime; }
    void setCurrentTime(double seconds); // negative times and NaN become 0
    void gotoBeginning() { m_currentTime = 0.0; }
    float rate() const { return m_rate; }
    void setRate(float rate) { m_rate = rate; }
    float preferredRate() const { return m_preferredRate; }
    void setPreferredRate(float rate) { m_preferredRate = rate; }
    float volume() const { return m_volume; }
    void setVolume(float volume); // clamped to 0...1; NaN leaves the volume unchanged

    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;

private:
    Movie() = default;

    QUrl m_url;
    MovieTime m_duration;
    bool m_hasVideo = false;
    bool m_hasAudio = false;
    bool m_isProtected = false;
    bool m_videoIsEncrypted = false;
    int m_videoStreamIndex = -1;

    double m_currentTime = 0.0;
    float m_rate = 0.0f;
    float m_preferredRate = 1.0f;
    float m_volume = 1.0f;
};
