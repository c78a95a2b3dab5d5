#include "app/mpris/MprisMetadata.h"

#include "app/mpris/MprisValues.h"

#include <QCryptographicHash>
#include <QDBusObjectPath>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int PosterDelayMs = 1000;

// The file URL of the poster written out (or found written already); empty when it cannot be written.
// Any thread.
QString writePoster(const VideoImage& frame, const QString& folder) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(frame.width) + 'x' + QByteArray::number(frame.height));
    hash.addData(frame.pixels);
    const QString path =
        QDir(folder).filePath(QString::fromLatin1(hash.result().toHex()) + QStringLiteral(".png"));
    if (!QFileInfo::exists(path)) {
        const QImage image(reinterpret_cast<const uchar*>(frame.pixels.constData()), frame.width,
                           frame.height, frame.bytesPerLine(), QImage::Format_RGBX8888);
        QSaveFile file(path);
        if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") ||
            !file.commit())
            return {};
    }
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

} // namespace

QString MprisMetadata::defaultPosterFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/orvanta/posters");
}

MprisMetadata::MprisMetadata(QString posterFolder, QObject* parent)
    : QObject(parent)
    , m_posterFolder(std::move(posterFolder)) {
    m_writer.setMaxThreadCount(1);
}

MprisMetadata::~MprisMetadata() {
    m_writer.waitForDone();
}

MprisMetadata::Entry& MprisMetadata::entryOf(const ClipRecordPtr& clip) {
    for (Entry& entry : m_entries) {
        if (entry.clip.lock() == clip)
            return entry;
    }
    // Records of closed playlists and removed clips are forgotten; their numbers are not given again.
    std::erase_if(m_entries, [](const Entry& entry) { return entry.clip.expired(); });
    m_entries.push_back({clip, ++m_lastNumber, {}, false});
    return m_entries.back();
}

MprisMetadata::Entry* MprisMetadata::entryNumbered(quint64 number) {
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [number](const Entry& entry) { return entry.number == number; });
    return it == m_entries.end() ? nullptr : &*it;
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
    if (!entry.artUrl.isEmpty())
        metadata.insert(QStringLiteral("mpris:artUrl"), entry.artUrl);
    else if (!entry.asked)
        writePosterLater(entry, *clip);
    return metadata;
}

void MprisMetadata::writePosterLater(Entry& entry, const ClipRecord& clip) {
    const VideoImage& frame = clip.posterImage.frame;
    // The poster may come after the row (it is decoded later): asked again until there is one.
    if (clip.posterImage.kind != PosterImage::Kind::Frame || frame.isNull() ||
        frame.pixels.size() < frame.bytesPerLine() * frame.height)
        return;
    entry.asked = true;
    QTimer::singleShot(PosterDelayMs, this, [this, number = entry.number, frame] {
        m_writer.start([this, number, frame, folder = m_posterFolder] {
            const QString url = writePoster(frame, folder);
            // The pool is waited for before this object goes, so it is there to take the call.
            QMetaObject::invokeMethod(
                this,
                [this, number, url] {
                    Entry* written = entryNumbered(number);
                    if (!written || url.isEmpty())
                        return;
                    written->artUrl = url;
                    emit posterWritten();
                },
                Qt::QueuedConnection);
        });
    });
}
