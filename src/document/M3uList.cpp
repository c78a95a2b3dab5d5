#include "document/M3uList.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>

namespace {

// A URL's scheme, two letters or more so that a Windows drive letter ("C:") is not taken for one.
bool hasScheme(const QString& line) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(line).hasMatch();
}

QString decoded(const QByteArray& data) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(data);
}

// The path as the list writes it: relative inside the list's folder, absolute elsewhere. A relative
// path that starts with '#' would read as a comment, so it starts with "./"; a path that a line cannot hold
// as it is (a line break, or spaces at either end, in a file name) is written as a percent-encoded file URL.
QString listedPath(const QString& path, const QString& listFolder) {
    if (path.contains(u'\n') || path.contains(u'\r') || path != path.trimmed())
        return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    const QString relative = QDir(listFolder).relativeFilePath(path);
    if (relative.startsWith(QLatin1String("../")) || relative == QLatin1String("..") ||
        QDir::isAbsolutePath(relative))
        return path;
    // Nor may it read as a URL, or as a Windows path of backslashes.
    const bool mistakable = relative.startsWith(u'#') || hasScheme(relative) ||
                            (relative.contains(u'\\') && !relative.contains(u'/'));
    return mistakable ? QStringLiteral("./") + relative : relative;
}

QString oneLine(QString text) {
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

} // namespace

QByteArray M3uList::write(const QList<ExchangeEntry>& entries, const QString& listFolder) {
    QString text = QStringLiteral("#EXTM3U\n");
    for (const ExchangeEntry& entry : entries) {
        const qint64 seconds =
            entry.durationMs ? qint64(std::llround(double(*entry.durationMs) / 1000.0)) : -1;
        text += QStringLiteral("#EXTINF:%1,%2\n").arg(seconds).arg(oneLine(entry.title));
        text += (entry.url.isLocalFile() ? listedPath(entry.url.toLocalFile(), listFolder)
                                         : entry.url.toString(QUrl::FullyEncoded)) +
                u'\n';
    }
    return text.toUtf8();
}

ExchangeReadResult M3uList::read(const QByteArray& data, const QString& listFolder) {
    ExchangeReadResult result;
    if (data.contains('\0')) {
        result.error = QStringLiteral("it is not a text file");
        return result;
    }
    QString text = decoded(data);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    std::optional<ExchangeEntry> info; // the #EXTINF line before the entry
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("#EXTINF:"))) {
            // "#EXTINF:<seconds> [attributes],<title>"
            const qsizetype comma = line.indexOf(u',');
            const QString head = line.mid(8, comma < 0 ? -1 : comma - 8).trimmed();
            bool ok = false;
            const double seconds = head.section(u' ', 0, 0).toDouble(&ok);
            info = ExchangeEntry{};
            // Up to about 30,000 years: beyond that a number is no duration.
            if (ok && std::isfinite(seconds) && seconds >= 0 && seconds < 1e12)
                info->durationMs = qint64(std::llround(seconds * 1000.0));
            if (comma >= 0)
                info->title = line.mid(comma + 1).trimmed();
            continue;
        }
        if (line.startsWith(u'#'))
            continue;
        ExchangeEntry entry = info.value_or(ExchangeEntry{});
        info.reset();
        if (hasScheme(line)) {
            const std::optional<QUrl> url = localFileURL(QUrl(line));
            if (!url) {
                result.notLocal.append(line);
                continue;
            }
            entry.url = *url;
        } else {
            // A list written on Windows separates with backslashes.
            if (!line.contains(u'/'))
                line.replace(u'\\', u'/');
            // Joined by hand: QDir takes a path that starts with ':' for one of Qt's resources.
            entry.url = localFileURLOfPath(line.startsWith(u'/') ? line : listFolder + u'/' + line);
        }
        result.entries.append(entry);
    }
    return result;
}
