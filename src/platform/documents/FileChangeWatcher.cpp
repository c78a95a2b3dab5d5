#include "platform/documents/FileChangeWatcher.h"

#include <QFileInfo>

namespace {
// Long enough to let a writer finish a burst of writes, short enough to be seen at once.
constexpr int SettleDelay = 150; // ms
} // namespace

FileChangeWatcher::FileChangeWatcher(QObject* parent)
    : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleDelay);
    connect(&m_settle, &QTimer::timeout, this, &FileChangeWatcher::settle);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    // Any entry of the folder changed. Whether the watched file's own entry did is not known yet: a file
    // replaced by a rename may be reported for the folder before, or without, the file's own event. The
    // receiver's comparison is cheap when nothing changed.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
}

void FileChangeWatcher::watch(const QString& path) {
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_settle.stop();
    m_path = path;
    if (path.isEmpty())
        return;
    m_watcher.addPath(QFileInfo(path).absolutePath());
    if (QFileInfo::exists(path))
        m_watcher.addPath(path);
}

void FileChangeWatcher::settle() {
    if (m_path.isEmpty())
        return;
    // The watch follows the file that now has the name.
    if (m_watcher.files().contains(m_path))
        m_watcher.removePath(m_path);
    if (QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
    emit changed();
}
