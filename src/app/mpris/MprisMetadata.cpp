#include "app/mpris/MprisMetadata.h"

#include "app/mpris/MprisValues.h"

#include <QCryptographicHash>
#include <QDBusObjectPath>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

QString MprisMetadata::defaultPosterFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/orvanta/posters");
}

MprisMetadata::MprisMetadata(QString posterFolder)
    : m_posterFolder(std::move(posterFolder)) {}

MprisMetadata::Entry& MprisMetadata::entryOf(const ClipRecordPtr& clip) {
    for (Entry& entry : m_entries) {
        if (entry.clip.lock() == clip)
            return entry;
    }
    // Records of closed playlists and removed clips are forgotten; their numbers are not given again.
    std::erase_if(m_entries, [](const Entry& entry) { return entry.clip.expired(); });
    m_entries.push_back({clip, ++m_lastNumber, {}});
    return m_entries.back();
}

QString MprisMetadata::trackIdOf(const ClipRecordPtr& clip) {
    return clip ? MprisValues::trackPath(entryOf(clip).number) : noTrack();
}

QVariantMap MprisMetadata::metadataOf(const ClipRecordPtr& clip) {
    if (!clip)
        return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(noTrack()))}};
    Entry& entry = entryOf(clip);
    QVariantMap metadata{
        {QStringLiteral("mpris:trackid"),
         QVariant::fromValue(QDBusObjectPath(MprisValues::trackPath(entry.number)))},
        {QStringLiteral("xesam:title"), clip->name},
        {QStringLiteral("xesam:url"), clip->URL.toString(QUrl::FullyEncoded)},
    };
    if (clip->movie)
        metadata.insert(QStringLiteral("mpris:length"),
                        MprisValues::microseconds(clip->movie->duration().seconds()));
    // The poster may come after the row (it is decoded later): tried again until it is written.
    if (entry.artUrl.isEmpty())
        entry.artUrl = writePoster(*clip);
    if (!entry.artUrl.isEmpty())
        metadata.insert(QStringLiteral("mpris:artUrl"), entry.artUrl);
    return metadata;
}

QString MprisMetadata::writePoster(const ClipRecord& clip) const {
    const VideoImage& frame = clip.posterImage.frame;
    if (clip.posterImage.kind != PosterImage::Kind::Frame || frame.isNull() ||
        frame.pixels.size() < frame.bytesPerLine() * frame.height)
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(frame.width) + 'x' + QByteArray::number(frame.height));
    hash.addData(frame.pixels);
    const QString path =
        QDir(m_posterFolder).filePath(QString::fromLatin1(hash.result().toHex()) + QStringLiteral(".png"));
    if (!QFileInfo::exists(path)) {
        const QImage image(reinterpret_cast<const uchar*>(frame.pixels.constData()), frame.width,
                           frame.height, frame.bytesPerLine(), QImage::Format_RGBX8888);
        QSaveFile file(path);
        if (!QDir().mkpath(m_posterFolder) || !file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") ||
            !file.commit())
            return {};
    }
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}
