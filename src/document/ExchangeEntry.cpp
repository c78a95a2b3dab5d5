#include "document/ExchangeEntry.h"

#include <QDir>

std::optional<QUrl> localFileURL(const QUrl& url) {
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(u'/'))
        return std::nullopt;
    return localFileURLOfPath(path);
}

QUrl localFileURLOfPath(const QString& absolutePath) {
    QString path = QDir::cleanPath(absolutePath);
    // cleanPath keeps the ".." that would climb above the root, where they lead nowhere.
    while (path.startsWith(QLatin1String("/../")))
        path.remove(0, 3);
    if (path == QLatin1String("/.."))
        path = QStringLiteral("/");
    return QUrl::fromLocalFile(path);
}
