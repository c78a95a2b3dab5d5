#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// One entry of a playlist in another player's format (M3U, XSPF): where its file is, and what the list
// says about it.
struct ExchangeEntry {
    QUrl url; // a local file's URL
    QString title;
    std::optional<qint64> durationMs;

    bool operator==(const ExchangeEntry&) const = default;
};

// What reading such a list gives: its local entries in order, the entries that name no local file (web
// addresses and the like, which a clip cannot be made of), or why the list could not be read at all.
struct ExchangeReadResult {
    QList<ExchangeEntry> entries;
    QStringList notLocal;
    QString error; // empty when the list was read
    explicit operator bool() const { return error.isEmpty(); }
};

// The URL of a local file named by a "file:" URL ("file://localhost/..." too), cleaned of "." and
// ".."; nothing for any other URL, or one on another host.
std::optional<QUrl> localFileURL(const QUrl& url);
// The URL of an absolute path, cleaned of ".", ".." (also those above the root) and doubled slashes.
QUrl localFileURLOfPath(const QString& absolutePath);
