#include "platform/defaults/XmlPropertyListReader.h"

#include <QXmlStreamReader>

namespace {

// The next start tag, or false at an end tag, the end of the text or a fault.
bool nextStartElement(QXmlStreamReader& xml) {
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement)
            return true;
        if (token == QXmlStreamReader::EndElement || token == QXmlStreamReader::Invalid)
            return false;
    }
    return false;
}

// The value whose start tag has just been read; an empty QVariant when it is not a plain value.
QVariant readScalar(QXmlStreamReader& xml) {
    const QString name = xml.name().toString();
    if (name == u"true" || name == u"false") {
        xml.skipCurrentElement();
        return name == u"true";
    }
    const QString text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    bool ok = !xml.hasError();
    QVariant value;
    if (name == u"string")
        value = text;
    else if (name == u"integer")
        value = text.trimmed().toLongLong(&ok);
    else if (name == u"real")
        value = text.trimmed().toDouble(&ok);
    return ok ? value : QVariant();
}

} // namespace

XmlPropertyListResult readXmlPropertyListDictionary(const QByteArray& data) {
    XmlPropertyListResult result;
    QXmlStreamReader xml(data);
    auto fail = [&](const QString& what) {
        result.error = QStringLiteral("line %1: %2")
                           .arg(xml.lineNumber())
                           .arg(xml.hasError() ? xml.errorString() : what);
        return result;
    };
    if (!nextStartElement(xml) || xml.name() != u"plist")
        return fail(QStringLiteral("no <plist> element"));
    if (!nextStartElement(xml) || xml.name() != u"dict")
        return fail(QStringLiteral("the top object is not a dictionary"));
    // Entry by entry, so that entries before a fault survive it.
    while (nextStartElement(xml)) {
        if (xml.name() != u"key")
            return fail(QStringLiteral("expected <key>"));
        const QString key = xml.readElementText();
        if (!nextStartElement(xml))
            return fail(QStringLiteral("missing value"));
        const QString kind = xml.name().toString();
        const QVariant value = readScalar(xml);
        if (!value.isValid())
            return fail(QStringLiteral("bad or unsupported <%1> value").arg(kind));
        result.dictionary.insert(key, value);
    }
    if (xml.hasError() || xml.name() != u"dict")
        return fail(QStringLiteral("unfinished dictionary"));
    return result;
}
