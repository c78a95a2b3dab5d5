#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Reads an XML property list whose top object is a flat dictionary of strings, integers (qint64), reals
// (double) and true/false, which is what the defaults file holds. On a malformed file it keeps the
// entries read before the fault and says what went wrong, so a damaged defaults file costs only what is
// damaged.
struct XmlPropertyListResult {
    QVariantMap dictionary;
    QString error; // empty when the whole file was read
};

XmlPropertyListResult readXmlPropertyListDictionary(const QByteArray& xml);
