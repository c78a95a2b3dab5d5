#include "platform/documents/RecoveryCopy.h"

#include "platform/documents/Document.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString RecoveryCopy::fileName(const QString& displayName, const QString& extension, const QDateTime& when,
                               int attempt) {
    QString name = displayName + u' ' + when.toString(QStringLiteral("yyyy-MM-dd HH-mm-ss"));
    if (attempt > 1)
        name += QStringLiteral(" %1").arg(attempt);
    if (!extension.isEmpty())
        name += u'.' + extension;
    return name;
}

RecoveryCopy::Result RecoveryCopy::write(Document& document, const QString& folder, const QString& extension,
                                         const QDateTime& when) {
    Result result;
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("The folder %1 could not be made.").arg(folder);
        return result;
    }
    QString path;
    for (int attempt = 1; path.isEmpty() || QFileInfo::exists(path); ++attempt)
        path = QDir(folder).filePath(fileName(document.displayName(), extension, when, attempt));
    const QString type =
        document.writableTypesForSaveOperation(Document::SaveOperation::SaveTo).value(0, document.fileType());
    DocumentError error;
    // A copy only: the document keeps its own file and its changes.
    if (!document.saveToURL(QUrl::fromLocalFile(path), type, Document::SaveOperation::SaveTo, &error)) {
        result.error = error.localizedDescription;
        return result;
    }
    result.path = path;
    return result;
}
