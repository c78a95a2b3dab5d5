#pragma once

#include "platform/documents/FileIdentity.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Reading and replacing whole document files, the one place where the application and the command-line
// tool touch them.
//
// Reading takes regular files only, and only up to a size: a folder, a named pipe, a device or a socket
// is refused before it is opened for reading (a pipe would block, /dev/zero would never end), and so is
// a file larger than any playlist.
//
// Writing never leaves a half-written file: the bytes go to a new file beside the old one, which is
// flushed to the disk (fsync) and only then renamed over the old file. A failure at any step (the disk
// full, a quota, an I/O error) leaves the old file as it was and says why in the system's words ("No
// space left on device"). The new file keeps the owner, group and permissions of the one it replaces
// where the system allows it, so a file replaced by root stays readable by its owner.
namespace SafeFile {

inline constexpr qint64 MaximumReadSize = qint64(256) * 1024 * 1024;

struct ReadResult {
    std::optional<QByteArray> data; // nothing when the file could not be read
    FileIdentity identity;          // the version that was read
    QString error;                  // why not, a phrase: "No such file or directory", "it is a folder"
    explicit operator bool() const { return data.has_value(); }
};
ReadResult read(const QString& path, qint64 maximumSize = MaximumReadSize);

struct WriteResult {
    bool written = false;
    bool changedByAnotherWriter = false; // refused because the file is no longer the expected version
    FileIdentity identity;               // the version written
    QString error;                       // why not, in the system's words
    explicit operator bool() const { return written; }
};
// Replaces the file at the path (or makes it) with the data. With an expected identity, the file must
// still be that version (or be gone) just before it is replaced; otherwise nothing is written. A
// symbolic link is kept: the file it leads to is replaced.
WriteResult write(const QString& path, const QByteArray& data,
                  const std::optional<FileIdentity>& expected = std::nullopt);

} // namespace SafeFile
