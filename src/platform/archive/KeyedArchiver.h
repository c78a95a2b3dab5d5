#pragma once

#include "platform/archive/KeyedArchiveValue.h"

#include <QByteArray>
#include <QString>

struct KeyedArchiveEncoding {
    QByteArray data;
    QString error; // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Writes a value tree as a keyed archive in the other platform's layout, inside a binary property list:
// a top dictionary with $archiver "NSKeyedArchiver", $version 100000, $top {"root": UID 1} and $objects
// beginning with "$null". Strings, numbers and data sit inline in $objects (each distinct value once);
// the null marker is an NSNull object, a URL an NSURL object with NS.base and NS.relative, arrays, sets
// and dictionaries NSMutableArray, NSMutableSet and NSMutableDictionary objects with NS.objects (and
// NS.keys). A node shared by several parents is written once. Objects are numbered in the order that
// archiver uses: an object takes its UID before its contents, and a class description takes the next
// free UID when the first object of its class is complete.
class KeyedArchiver {
public:
    // Fails only for a tree nested deeper than KeyedUnarchiver::kMaxDepth, which could not be read back.
    static KeyedArchiveEncoding archivedDataWithRootObject(const KeyedArchiveValue& root);

    // The string an NSURL holds for url: for a local file "file://" and its path, percent-encoded where
    // that platform encodes (a space is %20, '/' and the sub-delimiters stay); other URLs fully encoded.
    static QString archivedUrlString(const QUrl& url);
};
