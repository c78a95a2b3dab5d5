#include "document/XspfList.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString Namespace = QStringLiteral("http://xspf.org/ns/0/");

// An element of XSPF's own: in its namespace, or in none (some players leave it out).
bool isXspf(const QXmlStreamReader& xml, QLatin1String name) {
    return xml.name() == name && (xml.namespaceUri() == Namespace || xml.namespaceUri().isEmpty());
}

// XML 1.0 has no way to write most control characters, nor unpaired surrogates; a file name may hold
// them. They become U+FFFD, so that the list stays well formed.
QString xmlText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        const bool allowed =
            (u >= 0x20 && !c.isSurrogate() && u != 0xFFFE && u != 0xFFFF) || u == 0x9 || u == 0xA || u == 0xD;
        out += allowed ? c : QChar(QChar::ReplacementCharacter);
    }
    return out;
}

struct Track {
    QStringList locations;
    QString title;
    std::optional<qint64> durationMs;
};

// Reads one <track> (the reader is on its start); leaves the reader on its end.
Track readTrack(QXmlStreamReader& xml) {
    Track track;
    while (xml.readNextStartElement()) {
        if (isXspf(xml, QLatin1String("location"))) {
            track.locations.append(xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed());
        } else if (isXspf(xml, QLatin1String("title"))) {
            track.title = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (isXspf(xml, QLatin1String("duration"))) {
            bool ok = false;
            const qint64 ms =
                xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed().toLongLong(&ok);
            if (ok && ms >= 0)
                track.durationMs = ms;
        } else {
            xml.skipCurrentElement();
        }
    }
    return track;
}

} // namespace

QByteArray XspfList::write(const QList<ExchangeEntry>& entries, const QString& playlistTitle) {
    QByteArray data;
    QXmlStreamWriter xml(&data);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(Namespace);
    xml.writeStartElement(Namespace, QStringLiteral("playlist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    if (!playlistTitle.isEmpty())
        xml.writeTextElement(Namespace, QStringLiteral("title"), xmlText(playlistTitle));
    xml.writeStartElement(Namespace, QStringLiteral("trackList"));
    for (const ExchangeEntry& entry : entries) {
        xml.writeStartElement(Namespace, QStringLiteral("track"));
        xml.writeTextElement(Namespace, QStringLiteral("location"), entry.url.toString(QUrl::FullyEncoded));
        if (!entry.title.isEmpty())
            xml.writeTextElement(Namespace, QStringLiteral("title"), xmlText(entry.title));
        if (entry.durationMs)
            xml.writeTextElement(Namespace, QStringLiteral("duration"), QString::number(*entry.durationMs));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return data;
}

ExchangeReadResult XspfList::read(const QByteArray& data, const QUrl& listURL) {
    ExchangeReadResult result;
    QXmlStreamReader xml(data);
    if (!xml.readNextStartElement() || !isXspf(xml, QLatin1String("playlist"))) {
        result.error =
            xml.hasError()
                ? QStringLiteral("it is not XML (line %1: %2)").arg(xml.lineNumber()).arg(xml.errorString())
                : QStringLiteral("it is not an XSPF playlist");
        return result;
    }
    while (xml.readNextStartElement()) {
        if (!isXspf(xml, QLatin1String("trackList"))) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (!isXspf(xml, QLatin1String("track"))) {
                xml.skipCurrentElement();
                continue;
            }
            const Track track = readTrack(xml);
            if (track.locations.isEmpty())
                continue;
            // Of several locations, the first local one.
            std::optional<QUrl> local;
            for (const QString& location : track.locations) {
                if ((local = localFileURL(listURL.resolved(QUrl(location, QUrl::TolerantMode)))))
                    break;
            }
            if (local)
                result.entries.append(ExchangeEntry{*local, track.title, track.durationMs});
            else
                result.notLocal.append(track.locations.first());
        }
    }
    if (xml.hasError()) {
        result = {};
        result.error =
            QStringLiteral("the XML is damaged at line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    }
    return result;
}
