#include "app/ApplicationTermination.h"

#include "app/OrvantaDocumentController.h"
#include "app/TerminationSignals.h"
#include "platform/AppPaths.h"
#include "platform/documents/RecoveryCopy.h"
#include "window/OrvantaWindowController.h"

#include <QApplication>
#include <QFileInfo>
#include <QThread>
#include <QWidget>
#include <cstdio>

namespace {

// How often a request looks whether the main thread is back in its main loop.
constexpr int AttemptInterval = 20; // ms

template <typename Action> void forEachPlaylistWindow(OrvantaDocumentController& controller, Action action) {
    for (Document* document : controller.documents()) {
        for (WindowController* windowController : document->windowControllers()) {
            if (auto* playlistWindow = dynamic_cast<OrvantaWindowController*>(windowController))
                action(*playlistWindow);
        }
    }
}

} // namespace

ApplicationTermination::ApplicationTermination(OrvantaDocumentController& controller, bool unattended)
    : m_controller(controller)
    , m_unattended(unattended) {
    m_attemptTimer.setInterval(AttemptInterval);
    connect(&m_attemptTimer, &QTimer::timeout, this, &ApplicationTermination::attempt);
}

ApplicationTermination::~ApplicationTermination() {
    if (m_previousPresenter && &Presenter::shared() == &m_quietPresenter)
        Presenter::setShared(m_previousPresenter);
}

QString ApplicationTermination::recoveryFolder() {
    return AppPaths::dataFolder() + QStringLiteral("/Recovery");
}

bool ApplicationTermination::isRequested() const {
    return m_requested || TerminationSignals::requested();
}

void ApplicationTermination::request() {
    if (m_closing)
        return;
    m_requested = true;
    useQuietPresenter();
    cancelRunningWork();
    // From the event loop, never from inside the caller (the Quit command's handler, say).
    QMetaObject::invokeMethod(this, &ApplicationTermination::attempt, Qt::QueuedConnection);
}

void ApplicationTermination::attempt() {
    if (m_closing) {
        m_attemptTimer.stop();
        return;
    }
    // A dialog waits for a person who is not asked any more.
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    // Inside a nested loop (a dialog's) the code that runs it is still on the stack and must
    // return first; before the main loop runs, main() takes over.
    if (!m_loopRunning || QThread::currentThread()->loopLevel() > 1) {
        m_attemptTimer.start();
        return;
    }
    m_attemptTimer.stop();
    QCoreApplication::exit(closeEverything());
}

void ApplicationTermination::useQuietPresenter() {
    if (m_previousPresenter)
        return;
    m_previousPresenter = &Presenter::shared();
    Presenter::setShared(&m_quietPresenter);
}

void ApplicationTermination::cancelRunningWork() {
    forEachPlaylistWindow(m_controller, [](OrvantaWindowController& window) {
        window.cancelImport();
        if (window.isPlaying())
            window.stop();
    });
}

int ApplicationTermination::closeEverything() {
    if (m_closing)
        return m_status;
    m_requested = true;
    m_closing = true;
    m_attemptTimer.stop();
    useQuietPresenter();
    cancelRunningWork();
    for (Document* document : m_controller.documents()) {
        if (!document->isClosed())
            closeDocument(*document);
    }
    return m_status;
}

void ApplicationTermination::closeDocument(Document& document) {
    const bool hasFile = !document.fileURL().isEmpty();
    if (!document.isDocumentEdited() || hasFile) {
        // Saves pending edits to the file; a failure has been reported when it answers false.
        if (document.close())
            return;
    } else if (m_unattended) {
        document.closeWithoutSaving();
        return;
    }
    writeRecoveryCopy(document);
    document.closeWithoutSaving();
    m_status = 1;
}

void ApplicationTermination::writeRecoveryCopy(Document& document) {
    const QString type =
        document.writableTypesForSaveOperation(Document::SaveOperation::SaveTo).value(0, document.fileType());
    const DocumentController::DocumentType* kind = m_controller.documentTypeNamed(type);
    const QString extension = kind ? kind->extension : QFileInfo(document.fileURL().toLocalFile()).suffix();
    const RecoveryCopy::Result copy = RecoveryCopy::write(document, recoveryFolder(), extension);

    PlayLog::Entry entry;
    entry.playlist = document.displayName();
    entry.event = QStringLiteral("recoveryCopy");
    entry.path = copy.path;
    const QString where = document.fileURL().isEmpty()
                              ? QStringLiteral("The playlist “%1” has no file").arg(document.displayName())
                              : QStringLiteral("The playlist “%1” could not be saved to %2")
                                    .arg(document.displayName(), document.fileURL().toLocalFile());
    entry.message = copy ? QStringLiteral("%1; its edits were written to %2.").arg(where, copy.path)
                         : QStringLiteral("%1, and its edits could not be written to a recovery copy "
                                          "either: %2 They are lost.")
                               .arg(where, copy.error);
    std::fprintf(stderr, "orvanta: %s\n", qPrintable(entry.message));
    PlayLog::record(entry);
}
