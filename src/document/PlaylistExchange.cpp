#include "document/PlaylistExchange.h"

#include "document/M3uList.h"
#include "document/MissingClip.h"
#include "document/XspfList.h"
#include "platform/documents/SafeFile.h"
#include "platform/media/MovieTime.h"

#include <QFileInfo>
#include <cmath>

std::optional<PlaylistExchange::Format> PlaylistExchange::formatForPath(const QString& path) {
    return formatNamed(QFileInfo(path).suffix().toLower());
}

std::optional<PlaylistExchange::Format> PlaylistExchange::formatNamed(const QString& name) {
    if (name == QLatin1String("m3u") || name == QLatin1String("m3u8"))
        return Format::M3u;
    if (name == QLatin1String("xspf"))
        return Format::Xspf;
    return std::nullopt;
}

QList<ExchangeEntry> PlaylistExchange::entriesOfClips(const QList<ClipRecordPtr>& clips) {
    QList<ExchangeEntry> entries;
    for (const ClipRecordPtr& clip : clips) {
        if (!clip)
            continue;
        ExchangeEntry entry;
        if (clip->movie)
            entry.url = QUrl::fromLocalFile(clip->movie->path());
        else
            entry.url = MissingClip::locate(clip->secureBookmark, clip->bookmark, clip->URL)
                            .value_or(MissingClip::Location{clip->URL, std::nullopt})
                            .url;
        entry.title = clip->name;
        if (const auto duration = MovieTime::fromString(clip->qttimeDuration);
            duration && !clip->isMissing() && !duration->isIndefinite() && duration->timeScale > 0)
            entry.durationMs = qint64(std::llround(duration->seconds() * 1000.0));
        entries.append(entry);
    }
    return entries;
}

ExchangeReadResult PlaylistExchange::readList(const QString& path) {
    ExchangeReadResult result;
    const QString name = QFileInfo(path).fileName();
    const std::optional<Format> format = formatForPath(path);
    if (!format) {
        result.error =
            QStringLiteral("“%1” is not an M3U, M3U8 or XSPF playlist (by its extension).").arg(name);
        return result;
    }
    const SafeFile::ReadResult file = SafeFile::read(path);
    if (!file) {
        result.error = QStringLiteral("The playlist “%1” could not be opened: %2.").arg(name, file.error);
        return result;
    }
    result = *format == Format::M3u ? M3uList::read(*file.data, QFileInfo(path).absolutePath())
                                    : XspfList::read(*file.data, QUrl::fromLocalFile(path));
    if (!result)
        result.error = QStringLiteral("The playlist “%1” could not be read: %2.").arg(name, result.error);
    return result;
}

std::optional<QString> PlaylistExchange::writeList(const QString& path, Format format,
                                                   const QList<ClipRecordPtr>& clips, const QString& title) {
    const QList<ExchangeEntry> entries = entriesOfClips(clips);
    const QByteArray data = format == Format::M3u ? M3uList::write(entries, QFileInfo(path).absolutePath())
                                                  : XspfList::write(entries, title);
    const SafeFile::WriteResult written = SafeFile::write(path, data);
    if (!written)
        return QStringLiteral("The playlist “%1” could not be written: %2.")
            .arg(QFileInfo(path).fileName(), written.error);
    return std::nullopt;
}

PlaylistExchange::Split PlaylistExchange::splitByPresence(const QList<ExchangeEntry>& entries) {
    Split split;
    for (const ExchangeEntry& entry : entries) {
        if (QFileInfo::exists(entry.url.toLocalFile()))
            split.present.append(entry.url);
        else
            split.missing.append(entry.url.toLocalFile());
    }
    return split;
}
