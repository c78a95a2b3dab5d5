#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Reads an XML property list whose top object is a dictionary: dict → QVariantMap, array → QVariantList,
// string, integer (qint64), real (double), true/false, data (base64 → QByteArray), date (QDateTime).
// On a malformed file it keeps the top-level entries read before the fault and says what went wrong,
// so a damaged defaults file costs only what is damaged.
struct XmlPropertyListResult {
    QVariantMap dictionary;
    QString error; // empty when the whole file was read
};

XmlPropertyListResult readXmlPropertyListDictionary(const QByteArray& xml);
