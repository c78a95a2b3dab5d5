#pragma once

#include "platform/Presenter.h"
#include "platform/documents/DocumentError.h"
#include "platform/documents/FileIdentity.h"
#include "platform/documents/WindowController.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <optional>
#include <vector>

class FileChangeWatcher;

// A document of the application: its file, its type, its unsaved changes and its window controllers.
//
// Saving writes the whole file anew through a temporary file renamed over the old one, so a crash or
// a full disk never leaves a half-written file. Documents that autosave in place write their edits
// to their file a few seconds after each change, and whatever is pending when they close. A save whose
// bytes are those already in the file writes nothing.
//
// The document knows the version of its file it last read or wrote, and watches the file: when another
// program changes it, a document without unsaved changes reads it again; one with changes asks the
// user whether to keep its own (the other version is then kept beside it as a conflict copy) or to
// take the other. The same check runs before every save, so another writer's version is never
// overwritten unseen.
// Main thread only.
class Document : public QObject {
    Q_OBJECT
public:
    enum class ChangeKind { Done, Undone, Cleared };
    enum class SaveOperation { Save, SaveAs, SaveTo, Autosave };

    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    QString fileType() const { return m_fileType; }
    void setFileType(const QString& type) { m_fileType = type; }
    QUrl fileURL() const { return m_fileURL; }
    void setFileURL(const QUrl& url);

    // The file's name without its extension, or "Untitled" / "Untitled N" for a document without file.
    QString displayName() const;
    void setUntitledNumber(int number);

    int changeCount() const { return m_changeCount; }
    bool isDocumentEdited() const { return m_changeCount != 0; }
    void updateChangeCount(ChangeKind kind);

    // Writing and reading, by subclasses. dataOfType answers the file's bytes, or nothing with an error.
    virtual std::optional<QByteArray> dataOfType(const QString& typeName, DocumentError* error) const = 0;
    virtual bool readFromData(const QByteArray& data, const QString& typeName, DocumentError* error) = 0;
    virtual QStringList writableTypesForSaveOperation(SaveOperation operation) const;
    virtual bool autosavesInPlace() const { return false; }

    // Reads a regular file of at most SafeFile::MaximumReadSize bytes; anything else is refused unread.
    bool readFromURL(const QUrl& url, const QString& typeName, DocumentError* error);
    // Writes the document to a file, atomically. Save, SaveAs and Autosave make it the document's file
    // and clear the changes; SaveTo writes a copy only.
    bool saveToURL(const QUrl& url, const QString& typeName, SaveOperation operation, DocumentError* error);
    // Saves to the document's own file (fails for a document without one).
    bool save(DocumentError* error);
    // The Save and Save As commands: they ask for a file where needed and report failures to the user.
    bool saveDocument();
    bool saveDocumentAs();
    // How the save panel is set up for a type (title, suggested name, name filter, extension).
    virtual Presenter::SavePanelRequest savePanelRequestForType(const QString& typeName) const;

    // Reads the document's file again, dropping unsaved changes.
    bool revertToSaved(DocumentError* error);

    // The error code of a save refused because another program changed the file meanwhile.
    static constexpr int ChangedByAnotherWriterCode = 6;

    // Delay between an edit and the autosave that writes it. Tests shorten it.
    void setAutosaveDelay(int milliseconds);
    int autosaveDelay() const { return m_autosaveDelay; }

    virtual void makeWindowControllers() {}
    void addWindowController(std::unique_ptr<WindowController> controller);
    std::vector<WindowController*> windowControllers() const;
    void showWindows();

    // The user's close: saves pending edits silently when the document has a file; asks the user
    // whether to save an untitled document with changes. False when the document must stay open
    // (the user cancelled, or saving failed, which has been reported).
    bool canClose();
    // Closes the document: saves pending edits to its file first (never asks; an untitled document is
    // discarded). When that save fails, the failure is reported and the document stays open (false).
    bool close();
    // Closes the document and lets its pending edits go (the caller has put them somewhere else).
    void closeWithoutSaving();
    bool isClosed() const { return m_closed; }

signals:
    void changeCountChanged();
    void displayNameChanged();
    void documentClosed(Document* document);

private:
    void autosaveNow();
    bool savePendingChangesSilently();
    void reportSaveFailure(const DocumentError& error);

    // The version of a file this document last read or wrote there.
    struct DiskVersion {
        QString path;
        FileIdentity identity;
        QByteArray digest;
    };
    static QByteArray digestOf(const QByteArray& data);
    void noteDiskVersion(const QString& path, const FileIdentity& identity, const QByteArray& data);
    void watchFile();
    // Another program's version of the file, met before a save or through the watch
    // (DocumentDiskChanges.cpp).
    enum class Reconciled { Unchanged, Reloaded, KeptMine, Failed };
    Reconciled reconcileWithFileOnDisk(DocumentError* error);
    bool keepConflictCopy(const QString& path, const QString& copyPath, DocumentError* error);
    void fileDidChangeOnDisk();

    QString m_fileType;
    QUrl m_fileURL;
    int m_untitledNumber = 1;
    int m_changeCount = 0;
    int m_autosaveDelay = 3000;
    bool m_closed = false;
    bool m_reconciling = false;
    QTimer m_autosaveTimer;
    std::optional<DiskVersion> m_diskVersion;
    FileChangeWatcher* m_fileWatcher = nullptr; // made with the first file; a child of the document
    std::vector<std::unique_ptr<WindowController>> m_windowControllers;
};
