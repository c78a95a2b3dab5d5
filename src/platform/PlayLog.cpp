#include "platform/PlayLog.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace {
PlayLog* installedLog = nullptr;
}

PlayLog::OpenResult PlayLog::open(const QString& name) {
    std::unique_ptr<PlayLog> log(new PlayLog());
    const bool opened = name == QLatin1String("-")
                            ? log->m_file.open(stdout, QIODevice::WriteOnly)
                            : (log->m_file.setFileName(name),
                               log->m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text));
    if (!opened)
        return {nullptr, QStringLiteral("cannot write the log %1: %2").arg(name, log->m_file.errorString())};
    return {std::move(log), {}};
}

void PlayLog::install(PlayLog* log) {
    installedLog = log;
}

void PlayLog::record(const Entry& entry) {
    if (installedLog)
        installedLog->write(entry);
}

void PlayLog::write(const Entry& entry) {
    m_file.write(line(entry, QDateTime::currentDateTimeUtc()) + '\n');
    m_file.flush();
}

QByteArray PlayLog::line(const Entry& entry, const QDateTime& when) {
    QJsonObject object;
    object.insert(QStringLiteral("ts"), when.toUTC().toString(Qt::ISODateWithMs));
    object.insert(QStringLiteral("playlist"), entry.playlist);
    object.insert(QStringLiteral("event"), entry.event);
    if (entry.row)
        object.insert(QStringLiteral("row"), *entry.row);
    if (!entry.clip.isEmpty())
        object.insert(QStringLiteral("clip"), entry.clip);
    if (!entry.path.isEmpty())
        object.insert(QStringLiteral("path"), entry.path);
    if (entry.event == QLatin1String("alert")) {
        object.insert(QStringLiteral("message"), entry.message);
        object.insert(QStringLiteral("informative"), entry.informative);
    } else if (!entry.message.isEmpty()) {
        object.insert(QStringLiteral("message"), entry.message);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void PlayLogPresenter::showAlert(const QString& messageText, const QString& informativeText) {
    PlayLog::Entry entry;
    entry.event = QStringLiteral("alert");
    entry.message = messageText;
    entry.informative = informativeText;
    PlayLog::record(entry);
    m_inner.showAlert(messageText, informativeText);
}

Presenter::FileConflictAnswer PlayLogPresenter::askResolveFileConflict(const QString& documentName,
                                                                       const QString& conflictCopyPath) {
    PlayLog::Entry entry;
    entry.playlist = documentName;
    entry.event = QStringLiteral("fileConflict");
    entry.path = conflictCopyPath;
    PlayLog::record(entry);
    return m_inner.askResolveFileConflict(documentName, conflictCopyPath);
}
