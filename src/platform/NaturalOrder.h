#pragma once

#include <QString>

// Compares file names the way file managers order them: runs of digits by their value ("clip2" before
// "clip10"), everything else case-insensitively, ties broken by the exact text. Independent of the
// locale, so a folder lists the same way under every LANG.
int naturalCompare(const QString& a, const QString& b);
inline bool naturalLess(const QString& a, const QString& b) {
    return naturalCompare(a, b) < 0;
}
