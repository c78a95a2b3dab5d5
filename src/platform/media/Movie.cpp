#include "platform/media/Movie.h"

#include "platform/media/FfmpegProbe.h"
#include "platform/media/FrameDecoder.h"
#include "platform/media/FrameTimeCheck.h"

#include <algorithm>
#include <cmath>

Movie::OpenResult Movie::open(const QUrl& url) {
    if (!url.isValid() || !url.isLocalFile())
        return {nullptr, {QStringLiteral("not a local file: %1").arg(url.toDisplayString())}};
    const QString path = url.toLocalFile();
    const auto probed = FfmpegProbe::probe(path);
    if (!probed.ok)
        return {nullptr, {QStringLiteral("%1: %2").arg(path, probed.error)}};

    std::shared_ptr<Movie> movie(new Movie());
    movie->m_url = url;
    movie->m_duration = probed.info.duration;
    movie->m_hasVideo = probed.info.hasVideo;
    movie->m_hasAudio = probed.info.hasAudio;
    movie->m_isProtected = probed.info.isProtected;
    movie->m_videoIsEncrypted = probed.info.videoIsEncrypted;
    movie->m_videoStreamIndex = probed.info.videoStreamIndex;
    return {std::move(movie), {}};
}

std::optional<VideoImage> Movie::posterImage(int maxWidth) const {
    if (!m_hasVideo || m_videoIsEncrypted)
        return std::nullopt;
    return FrameDecoder(path(), m_videoStreamIndex, maxWidth).firstFrame();
}

std::optional<VideoImage> Movie::frameImageAtTime(double seconds, int maxWidth) const {
    if (!m_hasVideo || m_videoIsEncrypted)
        return std::nullopt;
    return FrameDecoder(path(), m_videoStreamIndex, maxWidth).frameAtTime(seconds);
}

bool Movie::hasFrameAtTime(double seconds) const {
    if (!m_hasVideo || m_videoIsEncrypted)
        return false;
    return FrameTimeCheck::hasFrameAtTime(path(), m_videoStreamIndex, seconds);
}

void Movie::setCurrentTime(double seconds) {
    m_currentTime = std::isnan(seconds) || seconds < 0.0 ? 0.0 : seconds;
}

void Movie::setVolume(float volume) {
    if (std::isnan(volume))
        return;
    m_volume = std::clamp(volume, 0.0f, 1.0f);
}
