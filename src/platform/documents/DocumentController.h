#pragma once

#include "platform/documents/Document.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

// The application's documents: the types it knows, new and opened documents, the open list, and the
// recent files. Documents are owned here from the moment they open until they close.
// Main thread only.
class DocumentController : public QObject {
    Q_OBJECT
public:
    struct DocumentType {
        QString name;        // "OrvantaStandardPlaylist"
        QString description; // "Standard Playlist", for file dialogs
        QString extension;   // without the dot
        QString mimeType;
        // A new untitled document of this type, or nothing with an error (the user may have cancelled).
        std::function<std::unique_ptr<Document>(const QString& typeName, DocumentError* error)> makeUntitled;
        // An empty document to read a file into.
        std::function<std::unique_ptr<Document>()> makeForReading;
    };

    explicit DocumentController(QObject* parent = nullptr);
    ~DocumentController() override;

    void registerDocumentType(const DocumentType& type);
    const std::vector<DocumentType>& documentTypes() const { return m_types; }
    const DocumentType* documentTypeNamed(const QString& name) const;
    QStringList fileNameFilters() const;

    // The type a new document gets; nothing when none is chosen.
    virtual QString defaultType() const;

    // Makes an untitled document of defaultType(), shows its window and answers it. A failure is
    // presented to the user (and answered as nothing).
    Document* newDocument();
    Document* makeUntitledDocumentOfType(const QString& typeName, DocumentError* error);

    // Opens a file (or brings its window to the front when already open). A file that does not read
    // is refused with a message naming it, and nothing else changes.
    Document* openDocumentWithContentsOfURL(const QUrl& url, bool display, DocumentError* error);
    // The Open command: a file panel, then each chosen file; failures are presented.
    void openDocument();
    void openDocumentPresentingErrors(const QUrl& url);

    QList<Document*> documents() const;
    Document* documentForURL(const QUrl& url) const;
    bool hasOpenDocuments() const { return !m_documents.empty(); }

    // Recent files, newest first, at most maxRecentDocuments; files that are gone are dropped.
    static constexpr int maxRecentDocuments = 10;
    QList<QUrl> recentDocumentURLs() const;
    void noteNewRecentDocumentURL(const QUrl& url);
    void clearRecentDocuments();

    // Before quitting: each edited document with a file saves silently, each untitled one asks.
    // False when the user cancelled or a save failed; then nothing has closed.
    bool reviewUnsavedDocumentsForQuit();
    // Closes every document without asking (after the review).
    void closeAllDocuments();

    void presentError(const DocumentError& error);

signals:
    void documentsChanged();
    void recentDocumentsChanged();

protected:
    void addDocument(std::unique_ptr<Document> document);

private:
    void documentDidClose(Document* document);

    std::vector<DocumentType> m_types;
    std::vector<std::unique_ptr<Document>> m_documents;
    int m_untitledCount = 0;
};
