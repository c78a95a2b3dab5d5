#include "platform/bookmarks/Bookmark.h"

#include <QDir>
#include <QtEndian>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr char kMagic[4] = {'O', 'R', 'V', 'B'};
constexpr qsizetype kHeaderSize = 4 + 1 + 1 + 2 + 8 + 8 + 4;

struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
};

std::optional<Identity> identityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return Identity{quint64(info.st_dev), quint64(info.st_ino)};
}

template <typename T> void appendLittleEndian(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

} // namespace

std::optional<Bookmark> Bookmark::forUrl(const QUrl& fileUrl, bool securityScope) {
    if (!fileUrl.isLocalFile())
        return std::nullopt;
    const QString path = QDir::cleanPath(fileUrl.toLocalFile());
    if (!QDir::isAbsolutePath(path))
        return std::nullopt;
    const std::optional<Identity> identity = identityOf(path);
    if (!identity)
        return std::nullopt;
    Bookmark bookmark;
    bookmark.m_path = path;
    bookmark.m_device = identity->device;
    bookmark.m_inode = identity->inode;
    bookmark.m_flags = securityScope ? kSecurityScopeFlag : 0;
    return bookmark;
}

std::optional<Bookmark> Bookmark::fromData(const QByteArray& data) {
    if (data.size() < kHeaderSize || std::memcmp(data.constData(), kMagic, 4) != 0 ||
        quint8(data[4]) != kVersion)
        return std::nullopt;
    const char* p = data.constData();
    const quint32 length = qFromLittleEndian<quint32>(p + 24);
    if (quint64(length) != quint64(data.size() - kHeaderSize) || length == 0)
        return std::nullopt;
    const QByteArray utf8 = data.sliced(kHeaderSize);
    const QString path = QString::fromUtf8(utf8);
    if (utf8.contains('\0') || path.toUtf8() != utf8 || !path.startsWith(QLatin1Char('/')))
        return std::nullopt;
    Bookmark bookmark;
    bookmark.m_flags = quint8(data[5]);
    bookmark.m_device = qFromLittleEndian<quint64>(p + 8);
    bookmark.m_inode = qFromLittleEndian<quint64>(p + 16);
    bookmark.m_path = path;
    return bookmark;
}

Bookmark Bookmark::withSecurityScope(bool securityScope) const {
    Bookmark copy = *this;
    copy.m_flags =
        securityScope ? quint8(m_flags | kSecurityScopeFlag) : quint8(m_flags & ~kSecurityScopeFlag);
    return copy;
}

QByteArray Bookmark::toData() const {
    const QByteArray utf8 = m_path.toUtf8();
    QByteArray out;
    out.reserve(kHeaderSize + utf8.size());
    out.append(kMagic, 4);
    out.append(char(kVersion));
    out.append(char(m_flags));
    out.append(2, '\0');
    appendLittleEndian<quint64>(out, m_device);
    appendLittleEndian<quint64>(out, m_inode);
    appendLittleEndian<quint32>(out, quint32(utf8.size()));
    out.append(utf8);
    return out;
}

std::optional<QByteArray> bookmarkData(const QUrl& fileUrl, bool securityScope) {
    const std::optional<Bookmark> bookmark = Bookmark::forUrl(fileUrl, securityScope);
    if (!bookmark)
        return std::nullopt;
    return bookmark->toData();
}

BookmarkResolution resolveBookmarkData(const QByteArray& data) {
    const std::optional<Bookmark> bookmark = Bookmark::fromData(data);
    if (!bookmark)
        return {QUrl(), false, QStringLiteral("The bookmark data are not valid"), std::nullopt};
    const QUrl url = QUrl::fromLocalFile(bookmark->path());
    const std::optional<Identity> identity = identityOf(bookmark->path());
    if (!identity)
        return {url, true, QStringLiteral("The file \"%1\" no longer exists").arg(bookmark->path()),
                bookmark};
    if (identity->device != bookmark->device() || identity->inode != bookmark->inode())
        return {url, true,
                QStringLiteral("The file \"%1\" has been replaced by another file").arg(bookmark->path()),
                bookmark};
    return {url, false, QString(), bookmark};
}

bool startAccessingSecurityScopedResource(const QUrl& url) {
    Q_UNUSED(url);
    return true;
}

void stopAccessingSecurityScopedResource(const QUrl& url) {
    Q_UNUSED(url);
}
