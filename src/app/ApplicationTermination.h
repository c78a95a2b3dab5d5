#pragma once

#include "platform/HeadlessPresenter.h"
#include "platform/PlayLog.h"

#include <QObject>
#include <QTimer>
#include <memory>

class Document;
class OrvantaDocumentController;

// The end of the program when nobody can be asked: a signal (SIGTERM, SIGINT, SIGHUP) in any run, and
// the Quit command in an unattended run.
//
// While the program starts (before the event loop runs) a request cancels what is running (the import
// of a dynamic playlist's folder, the demo's clip making) and nothing more: main() asks isRequested()
// after each step, then calls closeEverything() and returns without entering the loop. Once the loop
// runs, a request cancels what is running and closes everything as soon as the main thread is back in
// the main loop itself (not inside a dialog's nested loop; open dialogs are closed), then
// ends the loop with the exit status.
//
// From the request on, alerts go to standard error and the play log instead of waiting for a person.
// Main thread only.
class ApplicationTermination : public QObject {
    Q_OBJECT
public:
    ApplicationTermination(OrvantaDocumentController& controller, bool unattended);
    ~ApplicationTermination() override;

    void request();
    // A request has been made, or a signal has come that has not reached request() yet.
    bool isRequested() const;
    // main(), right before the event loop: from now on a request ends the loop by itself.
    void mainLoopWillRun() { m_loopRunning = true; }

    // Stops playback and closes every playlist without asking: a playlist with a file saves its pending
    // edits there; one whose edits cannot be saved there (or, in a run with a person, an untitled one
    // with edits) is written to a recovery copy in the data folder's "Recovery" folder, named on
    // standard error and in the play log, and closed all the same. Untitled playlists of unattended runs
    // let their edits go, as closing them does. Answers the exit status: 0 when every edit was saved, 1
    // when some went to a recovery copy (or were lost because not even that could be written).
    int closeEverything();

    static QString recoveryFolder();

private:
    void attempt();
    void useQuietPresenter();
    void cancelRunningWork();
    void closeDocument(Document& document);
    void writeRecoveryCopy(Document& document);

    OrvantaDocumentController& m_controller;
    bool m_unattended;
    bool m_requested = false;
    bool m_loopRunning = false;
    bool m_closing = false;
    int m_status = 0;
    QTimer m_attemptTimer;
    HeadlessPresenter m_headless;
    PlayLogPresenter m_quietPresenter{m_headless};
    Presenter* m_previousPresenter = nullptr; // while the quiet one is installed
};
