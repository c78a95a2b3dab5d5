#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

// A bookmark to a local file or folder: its absolute path and the identity (device, inode) the path had
// when the bookmark was made. The data are little-endian:
//   "ORVB", version 1 (u8), flags (u8, bit 0: made with security scope), two reserved bytes,
//   device (u64), inode (u64), path length (u32), the path in UTF-8 (no trailing slash).
// Security scope means nothing on this platform; the flag is only recorded.
class Bookmark {
public:
    static constexpr quint8 kVersion = 1;
    static constexpr quint8 kSecurityScopeFlag = 0x01;

    // The bookmark for an existing local file or folder; nothing otherwise.
    static std::optional<Bookmark> forUrl(const QUrl& fileUrl, bool securityScope);
    // Parses bookmark data; nothing when they are not exactly one well-formed record of ours (data made by
    // another platform's bookmarks, truncated data, a path length beyond the data, a relative path).
    static std::optional<Bookmark> fromData(const QByteArray& data);

    QByteArray toData() const;

    const QString& path() const { return m_path; }
    quint64 device() const { return m_device; }
    quint64 inode() const { return m_inode; }
    bool isSecurityScoped() const { return m_flags & kSecurityScopeFlag; }
    // The same record with the security-scope flag set or cleared.
    Bookmark withSecurityScope(bool securityScope) const;

private:
    QString m_path;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    quint8 m_flags = 0;
};

struct BookmarkResolution {
    QUrl url; // empty when the data do not parse
    bool isStale = false;
    QString error; // empty for a clean resolution
    // The parsed record; after a clean resolution it is exactly the bookmark a new one would be.
    std::optional<Bookmark> bookmark;
};

// Bookmark data for a local file URL; nothing when the file does not exist or the URL is not local.
std::optional<QByteArray> bookmarkData(const QUrl& fileUrl, bool securityScope);

// Data that do not parse: no URL and an error. The path exists with the recorded device and inode: the URL,
// not stale. The path exists as another file, or is missing: the URL, stale, and an error.
BookmarkResolution resolveBookmarkData(const QByteArray& data);

// Access to a resolved location needs no grant here: starting always succeeds, stopping does nothing.
bool startAccessingSecurityScopedResource(const QUrl& url);
void stopAccessingSecurityScopedResource(const QUrl& url);
