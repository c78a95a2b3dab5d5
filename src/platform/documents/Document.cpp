#include "platform/documents/Document.h"

#include "platform/Presenter.h"
#include "platform/documents/SafeFile.h"

#include <QFileInfo>

namespace {
const QString DocumentDomain = QStringLiteral("OrvantaDocuments");
} // namespace

Document::Document(QObject* parent)
    : QObject(parent) {
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(m_autosaveDelay);
    connect(&m_autosaveTimer, &QTimer::timeout, this, &Document::autosaveNow);
}

Document::~Document() {
    m_autosaveTimer.stop();
    // Window controllers go first: they may still look at the document while closing.
    m_windowControllers.clear();
}

void Document::setFileURL(const QUrl& url) {
    if (m_fileURL == url)
        return;
    m_fileURL = url;
    watchFile();
    emit displayNameChanged();
    for (auto& controller : m_windowControllers)
        controller->synchronizeWindowTitleWithDocumentName();
}

QString Document::displayName() const {
    if (!m_fileURL.isEmpty())
        return QFileInfo(m_fileURL.toLocalFile()).completeBaseName();
    if (m_untitledNumber <= 1)
        return QStringLiteral("Untitled");
    return QStringLiteral("Untitled %1").arg(m_untitledNumber);
}

void Document::setUntitledNumber(int number) {
    m_untitledNumber = number;
    emit displayNameChanged();
}

void Document::updateChangeCount(ChangeKind kind) {
    const bool wasEdited = isDocumentEdited();
    switch (kind) {
    case ChangeKind::Done:
        ++m_changeCount;
        break;
    case ChangeKind::Undone:
        --m_changeCount;
        break;
    case ChangeKind::Cleared:
        m_changeCount = 0;
        break;
    }
    if (isDocumentEdited() && autosavesInPlace() && !m_fileURL.isEmpty())
        m_autosaveTimer.start();
    else if (!isDocumentEdited())
        m_autosaveTimer.stop();
    emit changeCountChanged();
    if (wasEdited != isDocumentEdited()) {
        for (auto& controller : m_windowControllers)
            controller->synchronizeWindowTitleWithDocumentName();
    }
}

QStringList Document::writableTypesForSaveOperation(SaveOperation) const {
    return {m_fileType};
}

bool Document::readFromURL(const QUrl& url, const QString& typeName, DocumentError* error) {
    const QString path = url.toLocalFile();
    const SafeFile::ReadResult file =
        url.isLocalFile() ? SafeFile::read(path)
                          : SafeFile::ReadResult{{}, {}, QStringLiteral("it is not a local file")};
    if (!file) {
        setDocumentError(error, DocumentDomain, 2,
                         QStringLiteral("The file “%1” could not be opened: %2.")
                             .arg(QFileInfo(path).fileName(), file.error));
        return false;
    }
    DocumentError readError;
    if (readFromData(*file.data, typeName, &readError)) {
        noteDiskVersion(path, file.identity, *file.data);
        return true;
    }
    setDocumentError(error, readError.domain, readError.code,
                     QStringLiteral("The file “%1” could not be opened. %2")
                         .arg(QFileInfo(path).fileName(), readError.localizedDescription));
    return false;
}

bool Document::saveToURL(const QUrl& url, const QString& typeName, SaveOperation operation,
                         DocumentError* error) {
    const QString path = url.toLocalFile();
    const QString name = QFileInfo(path).fileName();
    if (!url.isLocalFile() || path.isEmpty()) {
        setDocumentError(error, DocumentDomain, 3, QStringLiteral("Only local files can be saved."));
        return false;
    }
    DocumentError dataError;
    const std::optional<QByteArray> data = dataOfType(typeName, &dataError);
    if (!data) {
        setDocumentError(error, DocumentDomain, 3,
                         QStringLiteral("The playlist “%1” could not be saved. %2")
                             .arg(name, dataError.localizedDescription));
        return false;
    }
    // In place, the file must still be the version this document knows; the same bytes again need no
    // write.
    const bool inPlace = m_diskVersion && m_diskVersion->path == path;
    std::optional<FileIdentity> expected;
    bool unchanged = false;
    if (inPlace && operation != SaveOperation::SaveTo) {
        expected = m_diskVersion->identity;
        unchanged = digestOf(*data) == m_diskVersion->digest && FileIdentity::of(path) == expected;
    }
    if (!unchanged) {
        const SafeFile::WriteResult written = SafeFile::write(path, *data, expected);
        if (!written) {
            setDocumentError(
                error, DocumentDomain, written.changedByAnotherWriter ? ChangedByAnotherWriterCode : 3,
                QStringLiteral("The playlist “%1” could not be saved: %2.").arg(name, written.error));
            return false;
        }
        if (inPlace || operation != SaveOperation::SaveTo)
            noteDiskVersion(path, written.identity, *data);
    }
    if (operation != SaveOperation::SaveTo) {
        m_fileType = typeName;
        setFileURL(url);
        updateChangeCount(ChangeKind::Cleared);
    }
    // A new file of the same name is watched anew; the change seen there is this document's own.
    watchFile();
    return true;
}

bool Document::save(DocumentError* error) {
    if (m_fileURL.isEmpty()) {
        setDocumentError(error, DocumentDomain, 3, QStringLiteral("The playlist has no file yet."));
        return false;
    }
    switch (reconcileWithFileOnDisk(error)) {
    case Reconciled::Reloaded: // the other version is the document now: nothing of its own to write
        return true;
    case Reconciled::Failed:
        return false;
    case Reconciled::Unchanged:
    case Reconciled::KeptMine:
        break;
    }
    const QStringList types = writableTypesForSaveOperation(SaveOperation::Save);
    return saveToURL(m_fileURL, types.value(0, m_fileType), SaveOperation::Save, error);
}

bool Document::revertToSaved(DocumentError* error) {
    if (m_fileURL.isEmpty()) {
        setDocumentError(error, DocumentDomain, 4, QStringLiteral("The playlist has no saved version."));
        return false;
    }
    if (!readFromURL(m_fileURL, m_fileType, error))
        return false;
    updateChangeCount(ChangeKind::Cleared);
    return true;
}

void Document::setAutosaveDelay(int milliseconds) {
    m_autosaveDelay = milliseconds;
    m_autosaveTimer.setInterval(milliseconds);
}

void Document::addWindowController(std::unique_ptr<WindowController> controller) {
    controller->setDocument(this);
    m_windowControllers.push_back(std::move(controller));
}

std::vector<WindowController*> Document::windowControllers() const {
    std::vector<WindowController*> controllers;
    for (const auto& controller : m_windowControllers)
        controllers.push_back(controller.get());
    return controllers;
}

void Document::showWindows() {
    for (auto& controller : m_windowControllers)
        controller->showWindow();
}

void Document::autosaveNow() {
    if (m_closed || !isDocumentEdited() || m_fileURL.isEmpty())
        return;
    if (m_reconciling) { // the user is being asked about another version; try again afterwards
        m_autosaveTimer.start();
        return;
    }
    DocumentError error;
    if (!save(&error))
        reportSaveFailure(error); // the changes stay; the next edit tries again
}

bool Document::savePendingChangesSilently() {
    if (!isDocumentEdited() || m_fileURL.isEmpty())
        return true;
    DocumentError error;
    if (save(&error))
        return true;
    reportSaveFailure(error);
    return false;
}

void Document::reportSaveFailure(const DocumentError& error) {
    Presenter::shared().showAlert(QStringLiteral("The playlist “%1” could not be saved.").arg(displayName()),
                                  error.localizedDescription);
}

bool Document::canClose() {
    if (!isDocumentEdited())
        return true;
    if (!m_fileURL.isEmpty() && autosavesInPlace())
        return savePendingChangesSilently();

    switch (Presenter::shared().askSaveChangesForDocument(displayName(), !m_fileURL.isEmpty())) {
    case Presenter::SaveChangesAnswer::Cancel:
        return false;
    case Presenter::SaveChangesAnswer::DontSave:
        return true;
    case Presenter::SaveChangesAnswer::Save:
        break;
    }
    if (!m_fileURL.isEmpty())
        return savePendingChangesSilently();

    return saveDocumentAs();
}

bool Document::saveDocumentAs() {
    const QString type = writableTypesForSaveOperation(SaveOperation::SaveAs).value(0, m_fileType);
    Presenter::SavePanelRequest request = savePanelRequestForType(type);
    if (!m_fileURL.isEmpty())
        request.directoryURL = QUrl::fromLocalFile(QFileInfo(m_fileURL.toLocalFile()).absolutePath());
    const auto url = Presenter::shared().runSavePanel(request);
    if (!url)
        return false;
    DocumentError error;
    if (saveToURL(*url, type, SaveOperation::SaveAs, &error))
        return true;
    reportSaveFailure(error);
    return false;
}

bool Document::saveDocument() {
    if (m_fileURL.isEmpty())
        return saveDocumentAs();
    DocumentError error;
    if (save(&error))
        return true;
    reportSaveFailure(error);
    return false;
}

Presenter::SavePanelRequest Document::savePanelRequestForType(const QString&) const {
    Presenter::SavePanelRequest request;
    request.title = QStringLiteral("Save");
    request.suggestedName = displayName();
    return request;
}

bool Document::close() {
    if (m_closed)
        return true;
    if (!m_fileURL.isEmpty() && !savePendingChangesSilently())
        return false;
    closeWithoutSaving();
    return true;
}

void Document::closeWithoutSaving() {
    if (m_closed)
        return;
    m_closed = true;
    m_autosaveTimer.stop();
    for (auto& controller : m_windowControllers)
        controller->closeWindow();
    emit documentClosed(this);
}
