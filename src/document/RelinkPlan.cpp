#include "document/RelinkPlan.h"

#include "platform/NaturalOrder.h"

#include <QHash>
#include <tuple>

namespace {

QStringList componentsOf(const QString& path) {
    return path.split(u'/', Qt::SkipEmptyParts);
}

QString fileNameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

int RelinkPlan::commonTrailingComponents(const QString& a, const QString& b) {
    const QStringList left = componentsOf(a);
    const QStringList right = componentsOf(b);
    int shared = 0;
    while (shared < left.size() && shared < right.size() &&
           left[left.size() - 1 - shared] == right[right.size() - 1 - shared])
        ++shared;
    return shared;
}

QStringList RelinkPlan::match(const QStringList& oldPaths, const QStringList& foundPaths) {
    QHash<QString, QStringList> byName;
    for (const QString& found : foundPaths)
        byName[fileNameOf(found)].append(found);
    QStringList matches;
    for (const QString& old : oldPaths) {
        QString best;
        std::tuple<int, qsizetype> bestRank{-1, 0};
        for (const QString& candidate : byName.value(fileNameOf(old))) {
            // More shared components first, then fewer components.
            const std::tuple<int, qsizetype> rank{commonTrailingComponents(old, candidate),
                                                  -componentsOf(candidate).size()};
            if (best.isEmpty() || rank > bestRank || (rank == bestRank && naturalLess(candidate, best))) {
                best = candidate;
                bestRank = rank;
            }
        }
        matches.append(best);
    }
    return matches;
}
