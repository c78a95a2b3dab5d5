#pragma once

#include "document/ClipImporter.h"
#include "document/ClipRecord.h"

#include <QList>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <memory>

class OpenAccessoryViewController;
class OrvantaWindowController;

// The import runs of one playlist window: the add and source-folder panels with the accessory they share,
// one run of ClipImporter at a time beside the main thread while the window keeps painting and shows the
// progress, and the placing of its clips in the playlist (at the drop row after a drop, else at the end)
// with the alerts for protected files and folders that could not be read.
//
// It reaches the playlist, the clips controller and the progress outlets through the window controller,
// which owns it and keeps the operation names. Main thread only; the run's worker thread only reads files.
class ImportController {
public:
    explicit ImportController(OrvantaWindowController& window);
    ~ImportController();

    // Forgets the clips of an earlier run and lists the movie types the system knows, for the add panel.
    void prepare();
    void addNewClips();
    void addClipsWithURLs(const QList<QUrl>& urls);
    void finalizeClipsImport();
    // Asks for the folder a dynamic playlist plays. When one is chosen the playlist takes it, with the
    // panel's choice about subdirectories, and lets go of its clips; false when the panel was cancelled.
    bool chooseSourceFolder();
    void cancel() { m_cancelled = true; }

    const QList<ClipRecordPtr>& importedClips() const { return m_importedClips; }
    const QStringList& DRMClips() const { return m_DRMClips; }
    bool isImporting() const { return m_isImporting; }
    bool fileErrorOnImport() const { return m_fileErrorOnImport; }
    bool dragIsActive() const { return m_dragIsActive; }
    void setDragIsActive(bool value) { m_dragIsActive = value; }
    qint32 dropLocation() const { return m_dropLocation; }
    void setDropLocation(qint32 row) { m_dropLocation = row; }
    const QStringList& allowedTypes() const { return m_allowedTypes; }
    OpenAccessoryViewController* openAccessoryViewController() const {
        return m_openAccessoryViewController.get();
    }

private:
    OpenAccessoryViewController& accessoryController();
    bool descendsIntoSubdirectories() const;
    ClipImporter::Result runImporter(const QList<QUrl>& urls);
    void takeImportResult(ClipImporter::Result result);
    void showImportProgress(int done, int total);
    void hideImportProgress();

    OrvantaWindowController& m_window;
    QList<ClipRecordPtr> m_importedClips;
    QStringList m_DRMClips;
    std::unique_ptr<OpenAccessoryViewController> m_openAccessoryViewController;
    bool m_dragIsActive = false;
    qint32 m_dropLocation = 0;
    bool m_fileErrorOnImport = false;
    QStringList m_allowedTypes;
    bool m_isImporting = false;
    std::atomic<bool> m_cancelled{false};
};
