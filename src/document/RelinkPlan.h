#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Which found file takes the place of each missing one, by file name. Pure.
namespace RelinkPlan {

// How many trailing path components two paths share ("/a/b/c.mp4" and "/x/b/c.mp4": 2).
int commonTrailingComponents(const QString& a, const QString& b);

// For each old path, the found path with the same file name that is closest to it: the one sharing the
// most trailing components with it, then the one with the fewest components, then the first in
// natural order. Empty where no found file has its name. Paths are absolute, '/'-separated.
QStringList match(const QStringList& oldPaths, const QStringList& foundPaths);

} // namespace RelinkPlan
