#pragma once

#include "document/ClipImporter.h"
#include "document/ClipRecord.h"
#include "document/PlaylistCommands.h"
#include "platform/Presenter.h"
#include "window/ClipPosterLoader.h"

#include <QList>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

class ImportJob;
class OpenAccessoryViewController;
class OrvantaWindowController;

// The import runs of one playlist window: the add and source-folder panels with the accessory they share,
// one run of ClipImporter at a time as a background job while the window goes on (its progress shown
// with a Cancel button, which Escape presses too), and the placing of its clips in the playlist (at the
// drop row after a drop, else at the end) with the alerts for protected files and folders that could
// not be read.
//
// A run never waits in an event loop of its own: addClipsWithURLs() starts it and returns, and its end
// is applied from the main loop. A run that is cancelled, by the button, by closing the window or by
// destroying this controller, adds nothing and changes nothing.
//
// It reaches the playlist, the clips controller and the progress outlets through the window controller,
// which owns it and keeps the operation names. Main thread only; the run's worker threads only read files.
//
// With a window, a run only checks which movies show a frame one second in: their clips are placed
// with a Pending poster, which its ClipPosterLoader decodes afterwards.
class ImportController {
public:
    explicit ImportController(OrvantaWindowController& window);
    ~ImportController(); // cancels a running import and waits for its worker

    // Forgets the clips of an earlier run and lists the movie types the system knows, for the add panel.
    void prepare();
    void addNewClips();
    // Starts a run; then, once its clips are placed and its alerts shown (or once it was cancelled), calls
    // whenDone, unless the window has gone by then. Without a window the run is done before it returns.
    // A standard playlist takes the run's clips as one undoable step, named by the action.
    void addClipsWithURLs(const QList<QUrl>& urls, std::function<void()> whenDone = {},
                          ClipsAction action = ClipsAction::Add);
    void finalizeClipsImport();
    // Asks for the folder a dynamic playlist plays. When one is chosen the playlist takes it, with the
    // panel's choice about subdirectories, and lets go of its clips; false when the panel was cancelled
    // (or an import is running).
    bool chooseSourceFolder();
    // Stops the running import, if any: nothing of it reaches the playlist.
    void cancel();
    // Stops the running import, if any, and drops what was to follow it: for a window that closes.
    void abandon();
    // Stops the running import and refuses every later one: for the end of the program.
    void cancelForGood();

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
    // Runs the open panel with the "Include subdirectories" box in its remembered state, and remembers
    // the state the user leaves it in.
    Presenter::OpenPanelResult runPanelWithSubdirectoriesBox(Presenter::OpenPanelRequest request);
    bool descendsIntoSubdirectories() const;
    ClipImporter::Options importerOptions() const;
    void jobFinished();
    void finishRun(ClipImporter::Result result);
    void takeImportResult(ClipImporter::Result result);
    void showImportProgress(int done, int total);
    void hideImportProgress();
    // Has the Pending posters of placed clips decoded, the rows the table shows first.
    void loadPosters(const QList<ClipRecordPtr>& clips);

    OrvantaWindowController& m_window;
    QList<ClipRecordPtr> m_importedClips;
    QStringList m_DRMClips;
    std::unique_ptr<OpenAccessoryViewController> m_openAccessoryViewController;
    bool m_dragIsActive = false;
    qint32 m_dropLocation = 0;
    bool m_fileErrorOnImport = false;
    QStringList m_allowedTypes;
    bool m_isImporting = false;
    ClipsAction m_runAction = ClipsAction::Add;
    quint64 m_run = 0; // the number of the current run: its parts make one undo step
    bool m_refusesRuns = false;
    std::unique_ptr<ImportJob> m_job;
    std::function<void()> m_whenDone;
    QTimer m_progressTimer;
    ClipPosterLoader m_posterLoader;
};
