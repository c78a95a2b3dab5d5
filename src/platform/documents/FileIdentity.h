#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

struct stat;

// What tells one version of a file from another without reading it: the file (device and inode) and
// its size and modification time. A writer that replaces the file makes a new inode; one that writes
// in place changes the modification time. The change time is left out on purpose: a rename touches it.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNanoseconds = 0;

    bool operator==(const FileIdentity&) const = default;

    // The identity of the file at the path (symbolic links followed), or nothing when there is none.
    static std::optional<FileIdentity> of(const QString& path);
    static FileIdentity fromStat(const struct stat& info);
};
