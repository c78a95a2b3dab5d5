#pragma once

#include "platform/archive/KeyedArchiveValue.h"

#include <QByteArray>
#include <QString>

struct KeyedUnarchiveResult {
    KeyedArchiveValue value; // the null marker when refused
    QString error;           // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Reads a keyed archive written by the other platform's archiver or by KeyedArchiver into a value tree.
// Accepted: inline strings, numbers and data; NSString/NSMutableString (NS.string), NSData/NSMutableData
// (NS.data), NSNull, NSURL (a relative URL is resolved against its base), NSArray, NSSet, NSDictionary
// and their mutable forms. Anything else is refused with a message saying why: not a binary property
// list, a damaged list, a wrong $archiver, $version or $top, out-of-range UIDs, unknown classes,
// reference cycles, nesting deeper than kMaxDepth, or a tree that would hold more than kMaxTreeNodes
// nodes if its shared objects were written out. Shared objects stay shared in the result.
class KeyedUnarchiver {
public:
    static constexpr int kMaxDepth = 512;
    static constexpr qint64 kMaxTreeNodes = qint64(1) << 22;

    // The object under "root" in $top.
    static KeyedUnarchiveResult unarchiveObjectWithData(const QByteArray& data);
    // The object under another key of $top (archives made by encoding objects without keys use "$0"...).
    static KeyedUnarchiveResult unarchiveTopLevelObjectWithData(const QByteArray& data, const QString& key);
};
