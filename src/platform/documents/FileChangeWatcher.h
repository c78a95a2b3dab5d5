#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Watches one file for changes by anyone, its owner included: whoever receives changed() compares the
// file with the version it knows. A writer that replaces the file by renaming another over it leaves
// the watch on the old file, so the path is watched anew after every change, and its folder is watched
// too, to find the file again after it was removed and made anew. A burst of changes is reported once,
// a moment after it ends. Main thread only.
class FileChangeWatcher : public QObject {
    Q_OBJECT
public:
    explicit FileChangeWatcher(QObject* parent = nullptr);

    // Starts watching the path (an empty path stops). Watching the same path again renews the watch,
    // which a writer calls after replacing the file itself.
    void watch(const QString& path);
    QString path() const { return m_path; }

signals:
    void changed();

private:
    void settle();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_path;
};
