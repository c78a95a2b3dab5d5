#include "platform/documents/DocumentController.h"

#include "platform/Presenter.h"
#include "platform/defaults/UserDefaults.h"

#include <QFileInfo>

namespace {
const QString RecentDocumentsKey = QStringLiteral("recentDocuments");
}

DocumentController::DocumentController(QObject* parent)
    : QObject(parent) {}

DocumentController::~DocumentController() {
    // Documents may call back into the controller while going away; take them out of the list first.
    auto documents = std::move(m_documents);
    for (auto& document : documents)
        disconnect(document.get(), nullptr, this, nullptr);
}

void DocumentController::registerDocumentType(const DocumentType& type) {
    m_types.push_back(type);
}

const DocumentController::DocumentType* DocumentController::documentTypeNamed(const QString& name) const {
    for (const auto& type : m_types) {
        if (type.name == name)
            return &type;
    }
    return nullptr;
}

QStringList DocumentController::fileNameFilters() const {
    QStringList all;
    QStringList filters;
    for (const auto& type : m_types) {
        all.append(QStringLiteral("*.") + type.extension);
        filters.append(QStringLiteral("%1 (*.%2)").arg(type.description, type.extension));
    }
    filters.prepend(QStringLiteral("Playlists (%1)").arg(all.join(u' ')));
    filters.append(QStringLiteral("All Files (*)"));
    return filters;
}

QString DocumentController::defaultType() const {
    return m_types.empty() ? QString() : m_types.front().name;
}

Document* DocumentController::newDocument() {
    DocumentError error;
    Document* document = makeUntitledDocumentOfType(defaultType(), &error);
    if (!document) {
        presentError(error);
        return nullptr;
    }
    document->makeWindowControllers();
    document->showWindows();
    return document;
}

Document* DocumentController::makeUntitledDocumentOfType(const QString& typeName, DocumentError* error) {
    const DocumentType* type = documentTypeNamed(typeName);
    if (!type)
        type = m_types.empty() ? nullptr : &m_types.front();
    if (!type || typeName.isEmpty()) {
        setDocumentError(error, QStringLiteral("OrvantaDocuments"), 5,
                         QStringLiteral("No kind of playlist has been chosen for a new document."));
        return nullptr;
    }
    std::unique_ptr<Document> document = type->makeUntitled(typeName, error);
    if (!document)
        return nullptr;
    document->setUntitledNumber(++m_untitledCount);
    Document* raw = document.get();
    addDocument(std::move(document));
    return raw;
}

Document* DocumentController::openDocumentWithContentsOfURL(const QUrl& url, bool display,
                                                            DocumentError* error) {
    if (Document* open = documentForURL(url)) {
        if (display)
            open->showWindows();
        return open;
    }
    const QString suffix = QFileInfo(url.toLocalFile()).suffix();
    const DocumentType* type = nullptr;
    for (const auto& candidate : m_types) {
        if (candidate.extension.compare(suffix, Qt::CaseInsensitive) == 0)
            type = &candidate;
    }
    // The kind is read from the file; the name only picks a starting type.
    if (!type && !m_types.empty())
        type = &m_types.front();
    if (!type) {
        setDocumentError(error, QStringLiteral("OrvantaDocuments"), 5, QStringLiteral("No document types."));
        return nullptr;
    }
    std::unique_ptr<Document> document = type->makeForReading();
    DocumentError readError;
    if (!document->readFromURL(url, type->name, &readError)) {
        setDocumentError(error, readError.domain, readError.code, readError.localizedDescription);
        return nullptr;
    }
    document->setFileType(
        document->writableTypesForSaveOperation(Document::SaveOperation::Save).value(0, type->name));
    document->setFileURL(url);
    Document* raw = document.get();
    addDocument(std::move(document));
    noteNewRecentDocumentURL(url);
    if (display) {
        raw->makeWindowControllers();
        raw->showWindows();
    }
    return raw;
}

void DocumentController::openDocumentPresentingErrors(const QUrl& url) {
    DocumentError error;
    if (!openDocumentWithContentsOfURL(url, true, &error))
        presentError(error);
}

void DocumentController::openDocument() {
    Presenter::OpenPanelRequest request;
    request.title = QStringLiteral("Open Playlist");
    request.canChooseFiles = true;
    request.canChooseDirectories = false;
    request.allowsMultipleSelection = true;
    request.nameFilters = fileNameFilters();
    const auto result = Presenter::shared().runOpenPanel(request);
    if (!result.accepted)
        return;
    for (const QUrl& url : result.urls)
        openDocumentPresentingErrors(url);
}

QList<Document*> DocumentController::documents() const {
    QList<Document*> list;
    for (const auto& document : m_documents)
        list.append(document.get());
    return list;
}

Document* DocumentController::documentForURL(const QUrl& url) const {
    const QString path = QFileInfo(url.toLocalFile()).canonicalFilePath();
    if (path.isEmpty())
        return nullptr;
    for (const auto& document : m_documents) {
        if (!document->fileURL().isEmpty() &&
            QFileInfo(document->fileURL().toLocalFile()).canonicalFilePath() == path)
            return document.get();
    }
    return nullptr;
}

QList<QUrl> DocumentController::recentDocumentURLs() const {
    QList<QUrl> urls;
    const QStringList stored =
        UserDefaults::standardUserDefaults().objectForKey(RecentDocumentsKey).toStringList();
    for (const QString& text : stored) {
        const QUrl url(text);
        if (url.isLocalFile() && QFileInfo::exists(url.toLocalFile()))
            urls.append(url);
    }
    return urls;
}

void DocumentController::noteNewRecentDocumentURL(const QUrl& url) {
    QStringList stored = UserDefaults::standardUserDefaults().objectForKey(RecentDocumentsKey).toStringList();
    const QString text = url.toString(QUrl::FullyEncoded);
    stored.removeAll(text);
    stored.prepend(text);
    while (stored.size() > maxRecentDocuments)
        stored.removeLast();
    UserDefaults::standardUserDefaults().setObject(stored, RecentDocumentsKey);
    emit recentDocumentsChanged();
}

void DocumentController::clearRecentDocuments() {
    UserDefaults::standardUserDefaults().removeObjectForKey(RecentDocumentsKey);
    emit recentDocumentsChanged();
}

bool DocumentController::reviewUnsavedDocumentsForQuit() {
    for (const auto& document : m_documents) {
        if (!document->canClose())
            return false;
    }
    return true;
}

void DocumentController::closeAllDocuments() {
    const auto documents = this->documents();
    for (Document* document : documents)
        document->close();
}

void DocumentController::presentError(const DocumentError& error) {
    if (error.localizedDescription.isEmpty())
        return;
    Presenter::shared().showAlert(error.localizedDescription, QString());
}

void DocumentController::addDocument(std::unique_ptr<Document> document) {
    connect(document.get(), &Document::documentClosed, this, &DocumentController::documentDidClose);
    connect(document.get(), &Document::displayNameChanged, this, [this, doc = document.get()] {
        if (!doc->fileURL().isEmpty())
            noteNewRecentDocumentURL(doc->fileURL());
    });
    m_documents.push_back(std::move(document));
    emit documentsChanged();
}

void DocumentController::documentDidClose(Document* document) {
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
        if (it->get() == document) {
            // Deleted later: the close may have started inside one of the document's own slots.
            it->release()->deleteLater();
            m_documents.erase(it);
            break;
        }
    }
    emit documentsChanged();
}
