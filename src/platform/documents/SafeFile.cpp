#include "platform/documents/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error) {
    return qt_error_string(error);
}

// Why a file of this kind is no document file, or nothing for a regular file.
std::optional<QString> refusedKind(mode_t mode) {
    if (S_ISREG(mode))
        return std::nullopt;
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a named pipe, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a regular file");
    return QStringLiteral("it is not a regular file");
}

QString tooLarge(qint64 size, qint64 maximum) {
    const QLocale c = QLocale::c();
    return QStringLiteral("it is %1, larger than a playlist file can be (%2)")
        .arg(c.formattedDataSize(size, 1, QLocale::DataSizeTraditionalFormat),
             c.formattedDataSize(maximum, 0, QLocale::DataSizeTraditionalFormat));
}

SafeFile::ReadResult readFailure(const QString& reason) {
    SafeFile::ReadResult result;
    result.error = reason;
    return result;
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    int release() {
        const int out = fd;
        fd = -1;
        return out;
    }
};

bool writeAll(int fd, const QByteArray& data) {
    const char* next = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, next, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        next += n;
        left -= n;
    }
    return true;
}

// A new, empty file beside the target, hidden (folder listings and imports skip dot files). It gets the
// ordinary permissions of a new file (0666 less the umask).
int createTemporary(const QString& target, QByteArray* temporaryPath) {
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 64; ++attempt) {
        const QString name = QStringLiteral(".%1.%2.tmp")
                                 .arg(info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        *temporaryPath = QFile::encodeName(info.absolutePath() + u'/' + name);
        const int fd = ::open(temporaryPath->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The replacement takes over the owner and permissions of the file it replaces. Changing the owner
// needs root; a user who may not still keeps the group where they belong to it.
void adoptOwnerAndMode(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), old.st_gid);
    (void)::fchmod(fd, old.st_mode & 07777);
}

void syncFolder(const QString& target) {
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)::fsync(fd);
    ::close(fd);
}

} // namespace

SafeFile::ReadResult SafeFile::read(const QString& path, qint64 maximumSize) {
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return readFailure(systemReason(errno));
    if (const auto kind = refusedKind(info.st_mode))
        return readFailure(*kind);
    if (info.st_size > maximumSize)
        return readFailure(tooLarge(info.st_size, maximumSize));

    // Not blocking: should a pipe have taken the file's place since the check, opening still returns.
    Descriptor file{::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return readFailure(systemReason(errno));
    if (::fstat(file.fd, &info) != 0)
        return readFailure(systemReason(errno));
    if (const auto kind = refusedKind(info.st_mode))
        return readFailure(*kind);

    QByteArray data;
    data.resize(qsizetype(std::min<qint64>(info.st_size, maximumSize)));
    qint64 filled = 0;
    for (;;) {
        if (filled == data.size()) {
            // The file grew while being read: read on, within the limit.
            if (data.size() > maximumSize)
                return readFailure(tooLarge(data.size(), maximumSize));
            data.resize(qsizetype(std::min<qint64>(data.size() + 64 * 1024, maximumSize + 1)));
        }
        const ssize_t n = ::read(file.fd, data.data() + filled, size_t(data.size() - filled));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return readFailure(systemReason(errno));
        }
        if (n == 0)
            break;
        filled += n;
    }
    data.truncate(qsizetype(filled));
    ReadResult result;
    result.data = std::move(data);
    result.identity = FileIdentity::fromStat(info);
    return result;
}

SafeFile::WriteResult SafeFile::write(const QString& path, const QByteArray& data,
                                      const std::optional<FileIdentity>& expected) {
    WriteResult result;
    const QFileInfo pathInfo(path);
    const QString target =
        pathInfo.isSymLink() && !pathInfo.canonicalFilePath().isEmpty() ? pathInfo.canonicalFilePath() : path;
    const QByteArray nativeTarget = QFile::encodeName(target);

    struct stat old {};
    const bool replacing = ::stat(nativeTarget.constData(), &old) == 0;
    if (replacing) {
        if (const auto kind = refusedKind(old.st_mode)) {
            result.error = *kind;
            return result;
        }
    }

    QByteArray temporary;
    Descriptor file{createTemporary(target, &temporary)};
    if (file.fd < 0) {
        result.error = systemReason(errno);
        return result;
    }
    // Each check below reports the system's reason; the partly written new file goes.
    auto fail = [&](int error) {
        result.error = systemReason(error);
        ::unlink(temporary.constData());
        return result;
    };
    if (replacing)
        adoptOwnerAndMode(file.fd, old);
    if (!writeAll(file.fd, data))
        return fail(errno);
    // Some file systems report a full disk only here, or only when closing.
    if (::fsync(file.fd) != 0)
        return fail(errno);
    struct stat written {};
    if (::fstat(file.fd, &written) != 0)
        return fail(errno);
    if (::close(file.release()) != 0)
        return fail(errno);

    if (expected) {
        const std::optional<FileIdentity> now = FileIdentity::of(target);
        if (now && *now != *expected) {
            ::unlink(temporary.constData());
            result.changedByAnotherWriter = true;
            result.error = QStringLiteral("it was changed by another program meanwhile");
            return result;
        }
    }
    if (::rename(temporary.constData(), nativeTarget.constData()) != 0)
        return fail(errno);
    syncFolder(target);
    result.written = true;
    result.identity = FileIdentity::fromStat(written);
    return result;
}
