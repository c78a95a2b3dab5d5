// The document and other writers of its file: the version it knows, the watch on the file, and what
// happens when another program's version turns up.
#include "platform/documents/Document.h"

#include "platform/documents/FileChangeWatcher.h"
#include "platform/documents/SafeFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace {

const QString DocumentDomain = QStringLiteral("OrvantaDocuments");

// "name (conflict 2024-05-01 134502).ext" beside the file, numbered on when that is taken.
QString conflictCopyPath(const QString& path) {
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString copy;
    for (int number = 1;; ++number) {
        const QString tag = number == 1 ? stamp : QStringLiteral("%1 %2").arg(stamp).arg(number);
        copy = QStringLiteral("%1/%2 (conflict %3)%4")
                   .arg(info.absolutePath(), info.completeBaseName(), tag, suffix);
        if (!QFileInfo::exists(copy))
            return copy;
    }
}

} // namespace

QByteArray Document::digestOf(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

void Document::noteDiskVersion(const QString& path, const FileIdentity& identity, const QByteArray& data) {
    m_diskVersion = DiskVersion{path, identity, digestOf(data)};
}

void Document::watchFile() {
    if (m_fileURL.isEmpty() || !m_fileURL.isLocalFile()) {
        if (m_fileWatcher)
            m_fileWatcher->watch(QString());
        return;
    }
    if (!m_fileWatcher) {
        m_fileWatcher = new FileChangeWatcher(this);
        connect(m_fileWatcher, &FileChangeWatcher::changed, this, &Document::fileDidChangeOnDisk);
    }
    m_fileWatcher->watch(m_fileURL.toLocalFile());
}

Document::Reconciled Document::reconcileWithFileOnDisk(DocumentError* error) {
    const QString path = m_fileURL.toLocalFile();
    if (m_reconciling || m_closed || !m_diskVersion || path.isEmpty() || m_diskVersion->path != path)
        return Reconciled::Unchanged;
    const std::optional<FileIdentity> now = FileIdentity::of(path);
    // Gone is not another version: the next save makes the file again.
    if (!now || *now == m_diskVersion->identity)
        return Reconciled::Unchanged;
    QScopedValueRollback asking(m_reconciling, true);

    if (!isDocumentEdited()) {
        // Nothing of this document's own to keep. A version that does not read (yet: a writer that
        // writes in place may not be done) leaves the document as it is; its next change is looked at.
        DocumentError ignored;
        return revertToSaved(&ignored) ? Reconciled::Reloaded : Reconciled::Unchanged;
    }
    const QString copyPath = conflictCopyPath(path);
    if (Presenter::shared().askResolveFileConflict(displayName(), copyPath) ==
        Presenter::FileConflictAnswer::TakeTheirs)
        return revertToSaved(error) ? Reconciled::Reloaded : Reconciled::Failed;
    return keepConflictCopy(path, copyPath, error) ? Reconciled::KeptMine : Reconciled::Failed;
}

bool Document::keepConflictCopy(const QString& path, const QString& copyPath, DocumentError* error) {
    const QString name = QFileInfo(path).fileName();
    const SafeFile::ReadResult theirs = SafeFile::read(path);
    const SafeFile::WriteResult kept = theirs ? SafeFile::write(copyPath, *theirs.data)
                                              : SafeFile::WriteResult{false, false, {}, theirs.error};
    if (!kept) {
        // Never write over a version that could not be kept.
        setDocumentError(error, DocumentDomain, ChangedByAnotherWriterCode,
                         QStringLiteral("The playlist “%1” was changed by another program, and that version "
                                        "could not be kept as “%2”: %3.")
                             .arg(name, QFileInfo(copyPath).fileName(), kept.error));
        return false;
    }
    // The other version is safe beside it: this document's own may now replace it.
    noteDiskVersion(path, theirs.identity, *theirs.data);
    return true;
}

void Document::fileDidChangeOnDisk() {
    DocumentError error;
    switch (reconcileWithFileOnDisk(&error)) {
    case Reconciled::KeptMine:
        if (autosavesInPlace() && !save(&error))
            reportSaveFailure(error);
        break;
    case Reconciled::Failed:
        Presenter::shared().showAlert(
            QStringLiteral("The playlist “%1” was changed by another program.").arg(displayName()),
            error.localizedDescription);
        break;
    case Reconciled::Unchanged:
    case Reconciled::Reloaded:
        break;
    }
}
