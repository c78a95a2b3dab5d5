#include "platform/defaults/XmlPropertyListReader.h"

#include <QDateTime>
#include <QXmlStreamReader>

namespace {

constexpr int MaxDepth = 64;

class Reader {
public:
    explicit Reader(const QByteArray& xml)
        : m_xml(xml) {}

    XmlPropertyListResult read() {
        XmlPropertyListResult result;
        if (!nextStartElement() || m_xml.name() != u"plist") {
            result.error = failure(QStringLiteral("no <plist> element"));
            return result;
        }
        if (!nextStartElement() || m_xml.name() != u"dict") {
            result.error = failure(QStringLiteral("the top object is not a dictionary"));
            return result;
        }
        // The top dictionary is read entry by entry so that entries before a fault survive it.
        while (true) {
            const auto key = readKey();
            if (!key) {
                if (m_error.isEmpty())
                    break; // </dict>
                result.error = m_error;
                return result;
            }
            QVariant value;
            if (!readValue(value, 1)) {
                result.error = m_error;
                return result;
            }
            result.dictionary.insert(*key, value);
        }
        return result;
    }

private:
    QString failure(const QString& what) {
        if (m_error.isEmpty()) {
            m_error = m_xml.hasError()
                          ? QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(m_xml.errorString())
                          : QStringLiteral("line %1: %2").arg(m_xml.lineNumber()).arg(what);
        }
        return m_error;
    }

    bool nextStartElement() {
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::StartElement)
                return true;
            if (token == QXmlStreamReader::EndElement || token == QXmlStreamReader::Invalid)
                return false;
        }
        return false;
    }

    // The next <key> of a dictionary, or nothing at its end tag (m_error set on a fault).
    std::optional<QString> readKey() {
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement && m_xml.name() == u"dict")
                return std::nullopt;
            if (token == QXmlStreamReader::StartElement) {
                if (m_xml.name() != u"key") {
                    failure(QStringLiteral("expected <key>"));
                    return std::nullopt;
                }
                return m_xml.readElementText();
            }
            if (token == QXmlStreamReader::Invalid)
                break;
        }
        failure(QStringLiteral("unfinished dictionary"));
        return std::nullopt;
    }

    bool readValue(QVariant& out, int depth) {
        if (depth > MaxDepth) {
            failure(QStringLiteral("nested too deeply"));
            return false;
        }
        if (!nextStartElement()) {
            failure(QStringLiteral("missing value"));
            return false;
        }
        return readStartedValue(out, depth);
    }

    // A value whose start tag has just been read.
    bool readStartedValue(QVariant& out, int depth) {
        const QString name = m_xml.name().toString();
        if (name == u"dict" || name == u"array")
            return readContainer(name, out, depth);
        return readScalar(name, out);
    }

    bool readContainer(const QString& name, QVariant& out, int depth) {
        if (depth > MaxDepth) {
            failure(QStringLiteral("nested too deeply"));
            return false;
        }
        if (name == u"dict") {
            QVariantMap map;
            while (true) {
                const auto key = readKey();
                if (!key) {
                    if (!m_error.isEmpty())
                        return false;
                    break;
                }
                QVariant value;
                if (!readValue(value, depth + 1))
                    return false;
                map.insert(*key, value);
            }
            out = map;
            return true;
        }
        QVariantList list;
        while (!m_xml.atEnd()) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::EndElement && m_xml.name() == u"array") {
                out = list;
                return true;
            }
            if (token == QXmlStreamReader::StartElement) {
                QVariant value;
                if (!readStartedValue(value, depth + 1))
                    return false;
                list.append(value);
            } else if (token == QXmlStreamReader::Invalid) {
                break;
            }
        }
        failure(QStringLiteral("unfinished array"));
        return false;
    }

    bool readScalar(const QString& name, QVariant& out) {
        if (name == u"true" || name == u"false") {
            out = (name == u"true");
            m_xml.skipCurrentElement();
            return !m_xml.hasError();
        }
        const QString text = m_xml.readElementText();
        if (m_xml.hasError()) {
            failure(QString());
            return false;
        }
        bool ok = true;
        if (name == u"string") {
            out = text;
        } else if (name == u"integer") {
            out = text.trimmed().toLongLong(&ok);
        } else if (name == u"real") {
            out = text.trimmed().toDouble(&ok);
        } else if (name == u"data") {
            const auto decoded = QByteArray::fromBase64Encoding(text.toLatin1().simplified().replace(' ', ""),
                                                                QByteArray::AbortOnBase64DecodingErrors);
            ok = bool(decoded);
            out = *decoded;
        } else if (name == u"date") {
            const QDateTime date = QDateTime::fromString(text.trimmed(), Qt::ISODate);
            ok = date.isValid();
            out = date;
        } else {
            failure(QStringLiteral("unknown element <%1>").arg(name));
            return false;
        }
        if (!ok) {
            failure(QStringLiteral("bad <%1> value \"%2\"").arg(name, text.left(40)));
            return false;
        }
        return true;
    }

    QXmlStreamReader m_xml;
    QString m_error;
};

} // namespace

XmlPropertyListResult readXmlPropertyListDictionary(const QByteArray& xml) {
    return Reader(xml).read();
}
