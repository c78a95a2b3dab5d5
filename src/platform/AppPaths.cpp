#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString dataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString configHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// Moves a file or folder to a place that does not exist yet; a rename, else (another file system) a
// copy that removes the original only once the copy is complete.
bool moveAside(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).absolutePath());
    if (QDir().rename(from, to))
        return true;
    const QFileInfo source(from);
    if (source.isFile())
        return QFile::copy(from, to) && QFile::remove(from);
    if (!QDir().mkpath(to))
        return false;
    const QDir dir(from);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (!moveAside(entry.absoluteFilePath(), to + u'/' + entry.fileName()))
            return false;
    }
    return QDir().rmdir(from);
}

void adopt(const QString& earlier, const QString& current, QStringList* problems) {
    if (!QFileInfo::exists(earlier) || QFileInfo::exists(current))
        return;
    if (!moveAside(earlier, current))
        problems->append(QStringLiteral("%1 could not be moved to %2.").arg(earlier, current));
    // The organisation folder goes too once nothing else is in it.
    QDir().rmdir(QFileInfo(earlier).absolutePath());
}

} // namespace

QString AppPaths::dataFolder() {
    return dataHome() + QStringLiteral("/orvanta");
}

QString AppPaths::settingsFile() {
    return configHome() + QStringLiteral("/orvanta/orvanta.conf");
}

QStringList AppPaths::adoptEarlierLocations() {
    QStringList problems;
    adopt(dataHome() + QStringLiteral("/Orvanta/Orvanta"), dataFolder(), &problems);
    adopt(configHome() + QStringLiteral("/Orvanta/Orvanta.conf"), settingsFile(), &problems);
    return problems;
}
