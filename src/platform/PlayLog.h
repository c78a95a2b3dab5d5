#pragma once

#include "platform/Presenter.h"

#include <QFile>
#include <QString>
#include <memory>
#include <optional>

// The play log of an installation: one JSON object per line for each transport event, so that a run
// nobody watches can be followed and checked afterwards. Each line has "ts" (UTC, ISO 8601 with
// milliseconds), "playlist" (the document's display name), "event", and where they apply "row", "clip"
// (the clip's name), "path" (its file; for "fileConflict" the copy that keeps the other version), "message"
// and "informative" (an alert's texts). The event "recoveryCopy" names in "path" the copy a playlist's
// edits went to when they could not be saved at the end, with the reason in "message"; "movieFailed"
// names a clip the player could not load or play, with the player's reason in "message".
//
// One log per process, installed by main(); without one, record() does nothing. Each line is flushed
// as it is written. Main thread only.
class PlayLog {
public:
    struct Entry {
        QString playlist;
        QString event;
        std::optional<int> row;
        QString clip;
        QString path;
        QString message;
        QString informative;
    };

    struct OpenResult {
        std::unique_ptr<PlayLog> log; // null on failure
        QString error;
        explicit operator bool() const { return log != nullptr; }
    };
    // "-" is standard output; any other name a file, appended to.
    static OpenResult open(const QString& name);

    static void install(PlayLog* log);
    static void record(const Entry& entry);

    void write(const Entry& entry);
    // The line an entry becomes, at the given time (no newline).
    static QByteArray line(const Entry& entry, const QDateTime& when);

private:
    PlayLog() = default;
    QFile m_file;
};

// Passes everything to another presenter and logs each alert and file conflict first.
class PlayLogPresenter : public Presenter {
public:
    explicit PlayLogPresenter(Presenter& inner)
        : m_inner(inner) {}
    void showAlert(const QString& messageText, const QString& informativeText) override;
    void beep() override { m_inner.beep(); }
    SaveChangesAnswer askSaveChanges(const QString& documentName) override {
        return m_inner.askSaveChanges(documentName);
    }
    SaveChangesAnswer askSaveChangesForDocument(const QString& documentName, bool hasFile) override {
        return m_inner.askSaveChangesForDocument(documentName, hasFile);
    }
    // Logged as a "fileConflict" event whose path is the conflict copy.
    FileConflictAnswer askResolveFileConflict(const QString& documentName,
                                              const QString& conflictCopyPath) override;
    OpenPanelResult runOpenPanel(const OpenPanelRequest& request) override {
        return m_inner.runOpenPanel(request);
    }
    std::optional<QUrl> runSavePanel(const SavePanelRequest& request) override {
        return m_inner.runSavePanel(request);
    }

private:
    Presenter& m_inner;
};
