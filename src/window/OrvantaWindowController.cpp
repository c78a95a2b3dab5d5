#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "document/PlaylistSettings.h"
#include "platform/NaturalOrder.h"
#include "platform/Presenter.h"
#include "platform/documents/DocumentController.h"
#include "platform/media/MpvPlayer.h"
#include "platform/ui/OpenAccessoryViewController.h"
#include "platform/ui/VideoOutput.h"
#include "window/ClipsController.h"
#include "window/PlaylistEditMenu.h"
#include "window/PlaylistWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QStackedWidget>
#include <QTimer>
#include <algorithm>

std::unique_ptr<OrvantaWindowController>
OrvantaWindowController::orvantaWindowController(DocumentController* controller, MenuInstaller installMenus) {
    return std::unique_ptr<OrvantaWindowController>(
        new OrvantaWindowController(controller, std::move(installMenus)));
}

OrvantaWindowController::OrvantaWindowController(DocumentController* controller, MenuInstaller installMenus)
    : m_documentController(controller)
    , m_installMenus(std::move(installMenus)) {
    makePlayback();
}

OrvantaWindowController::~OrvantaWindowController() {
    tearDown();
}

void OrvantaWindowController::tearDown() {
    stopWaitingForFirstPicture();
    tearDownPlayback();
    // Nothing that outlives the controller may reach it afterwards.
    for (const QMetaObject::Connection& connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    if (m_view)
        m_view->detach();
    for (NotificationCenter::Token token : m_notificationTokens)
        NotificationCenter::defaultCenter().removeObserver(token);
    m_notificationTokens.clear();
    NotificationCenter::defaultCenter().removeObserver(this);

    // The clips controller lets go of the document without telling the window, which goes next and
    // before the controller whose model its table shows.
    if (m_clipsController) {
        disconnect(m_clipsController.get(), nullptr, this, nullptr);
        m_clipsController->setContent(nullptr);
    }
    if (m_view) {
        m_view->window()->closeForGood();
        m_view.reset();
    }
    m_clipsController.reset();
    m_datasource = nullptr;
}

QMainWindow* OrvantaWindowController::window() {
    if (!m_view) {
        loadWindow();
        awakeFromNib();
        windowDidLoad();
    }
    return m_view->window();
}

void OrvantaWindowController::loadWindow() {
    m_clipsController = std::make_unique<ClipsController>();
    m_clipsController->setContent(m_datasource);
    m_view = std::make_unique<PlaylistWindowView>(*this, [this](QMainWindow* window) {
        if (m_installMenus)
            m_installMenus(window, document());
    });
    setupPlayer();
    setupPlayButton();
    updateTimeRelatedViews();
    synchronizeWindowTitleWithDocumentName();
    m_view->showPlaylist();
    connect(m_clipsController.get(), &ClipsController::selectionDidChange, this,
            [this] { tableViewSelectionDidChange(); });
    validateUserInterfaceItems();
}

void OrvantaWindowController::awakeFromNib() {
    setupClipsDragAndDrop();

    // The display chooser lists the displays now and again on every change of them.
    m_output->followDisplayChanges();
    setupSelectDisplayPopUp();
    connect(m_output.get(), &OutputController::displaysChanged, this, [this] { followRememberedDisplay(); });
    if (m_datasource)
        m_connections.push_back(connect(m_datasource, &OrvantaDocument::selectedDisplayChanged, this,
                                        [this] { followRememberedDisplay(); }));
    // "Became active" and "unhidden" are both the application turning active here.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        m_connections.push_back(
            connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    orvantanDidBecomeActive();
            }));
    }
}

void OrvantaWindowController::windowDidLoad() {
    m_playback->announce(QStringLiteral("windowDidLoad"));
    // The transport starts stopped, in the preview.
    m_playback->reset();
    // No clips are left from an earlier run; the add panel offers the movie types the system knows.
    m_import->prepare();
    // A dynamic playlist is rebuilt from its folder; the window is shown first so the run can be seen,
    // and the start goes on when its clips are in (or the run was cancelled).
    // The information pane shows the folder of a dynamic playlist, the clip count of a standard one.
    if (m_datasource && m_datasource->isDynamicPlaylist()) {
        loadedWindow()->show();
        infoTab()->setCurrentIndex(0);
        addClipsWithURLs({m_datasource->dynamicSourceFolder()}, [this] { windowDidLoadClips(); });
    } else {
        infoTab()->setCurrentIndex(1);
        windowDidLoadClips();
    }
}

void OrvantaWindowController::windowDidLoadClips() {
    // The table shows the clips in order, the first selected clip becomes current, and the output mode
    // of the settings takes effect.
    m_clipsController->rearrangeObjects();
    tableViewSelectionDidChange();
    handleFullscreenSelection();
    closeOtherPlaylists();
    alertMissingItems();
    // The output window takes its frame from the settings; an autoplaying playlist starts playing
    // behind the windows already open.
    setupFullscreenWindowFromSettings();
    if (m_datasource && m_datasource->settings()->autoplay()) {
        loadedWindow()->lower();
        play();
    }
}

void OrvantaWindowController::closeOtherPlaylists() {
    if (!m_datasource || !m_datasource->settings()->closeOthersAtStartup() || !m_documentController)
        return;
    // Closing the others never asks about their changes; the last listed goes first.
    QList<QPointer<Document>> others;
    for (Document* document : m_documentController->documents()) {
        if (document != m_datasource)
            others.append(document);
    }
    for (auto it = others.crbegin(); it != others.crend(); ++it) {
        if (*it)
            (*it)->close();
    }
}

void OrvantaWindowController::alertMissingItems() {
    if (!m_datasource || m_datasource->missingItems().isEmpty())
        return;
    // The set has no order of its own; sorted as a file manager sorts, a folder's files stand together
    // in their order.
    QStringList paths(m_datasource->missingItems().cbegin(), m_datasource->missingItems().cend());
    std::sort(paths.begin(), paths.end(), naturalLess);
    Presenter::shared().showAlert(
        QStringLiteral("Missing Items"),
        QStringLiteral("Orvanta was not able to locate the following files:\n\n%1").arg(paths.join(u'\n')));
}

QString OrvantaWindowController::windowTitleForDocumentDisplayName(const QString& displayName) const {
    const bool dynamic = m_datasource && m_datasource->isDynamicPlaylist();
    return (dynamic ? QStringLiteral("Dynamic Playlist:  %1") : QStringLiteral("Standard Playlist:  %1"))
        .arg(displayName);
}

void OrvantaWindowController::showWindow() {
    QMainWindow* w = window();
    const bool autoplay = m_datasource && m_datasource->settings()->autoplay();
    // Asked again while it waits (the playlist opened once more), it shows at once.
    if (autoplay && !w->isVisible() && !m_windowWaitsForPicture && showWindowAfterFirstPicture())
        return;
    stopWaitingForFirstPicture();
    w->show();
    // Autoplay sends the window to the back at load; showing it must not undo that.
    if (!autoplay) {
        w->raise();
        w->activateWindow();
    }
}

bool OrvantaWindowController::showWindowAfterFirstPicture() {
    // A show that starts with the playlist puts its picture up first: the playlist window, which goes
    // behind the output anyway, follows once the output has painted the first picture. Painting a whole
    // window first (its table, its panes, its own preview) would hold that picture up by as long. It
    // follows at the latest after two seconds, or as soon as playing stops, whatever became of the picture.
    constexpr int LongestWaitMs = 2000;
    ClickableMovieView* output = m_output->movieView();
    if (!isPlaying() || isPreviewPlayback() || !output || !output->videoView())
        return false;
    m_windowWaitsForPicture = true;
    m_firstPictureConnections = {
        VideoOutput::whenPicturePainted(output->videoView(), this, [this] { showWaitingWindow(); }),
        connect(m_playback.get(), &PlaylistPlayback::stateChanged, this, [this] { showWaitingWindow(); }),
    };
    QTimer::singleShot(LongestWaitMs, this, [this] { showWaitingWindow(); });
    return true;
}

void OrvantaWindowController::showWaitingWindow() {
    if (!m_windowWaitsForPicture)
        return;
    stopWaitingForFirstPicture();
    if (PlaylistWindow* w = loadedWindow()) {
        w->show();
        w->lower();
    }
}

void OrvantaWindowController::stopWaitingForFirstPicture() {
    m_windowWaitsForPicture = false;
    for (const QMetaObject::Connection& connection : m_firstPictureConnections)
        disconnect(connection);
    m_firstPictureConnections.clear();
}

void OrvantaWindowController::closeWindow() {
    stopWaitingForFirstPicture();
    if (m_view)
        m_view->window()->closeForGood();
}

void OrvantaWindowController::synchronizeWindowTitleWithDocumentName() {
    PlaylistWindow* window = loadedWindow();
    if (!window || !document())
        return;
    // "[*]" is where Qt puts the edited mark.
    window->setWindowTitle(windowTitleForDocumentDisplayName(document()->displayName()) +
                           QStringLiteral("[*]"));
    window->setWindowModified(document()->isDocumentEdited());
}

bool OrvantaWindowController::windowShouldClose() {
    // A run of a window that closes is not wanted any more.
    m_import->abandon();
    Document* doc = document();
    if (!doc)
        return true;
    if (!doc->canClose())
        return false;
    // A failed save keeps the document, and so its window, open.
    return doc->close();
}

void OrvantaWindowController::orvantanDidBecomeActive() {
    // Output playback keeps the output window in front of the playlist window.
    if (!isPreviewPlayback() && isPlaying())
        m_output->bringToFront(loadedWindow());
}

bool OrvantaWindowController::validateMenuItem(const QAction* item) const {
    const QString action = item ? item->objectName() : QString();
    if (m_view) {
        if (const std::optional<bool> edit =
                PlaylistEditMenu::validate(action, m_view->editMenu()->situation()))
            return *edit;
    }
    if (action == QLatin1String("addNewClips") || action == QLatin1String("removeClips"))
        return m_datasource && !m_datasource->isDynamicPlaylist();
    // A new source folder replaces every clip: only a dynamic playlist has one.
    if (action == QLatin1String("setSourceFolder"))
        return m_datasource && m_datasource->isDynamicPlaylist();
    if (action == QLatin1String("locateMissingFiles"))
        return PlaylistExchangeActions::hasMissingClips(m_datasource) && !m_datasource->isDynamicPlaylist();
    return true;
}

bool OrvantaWindowController::validateToolbarItem(const QAction* item) const {
    if (!item || !m_datasource)
        return false;
    bool isInteger = false;
    const int tag = item->data().toInt(&isInteger);
    if (!isInteger)
        return false;
    switch (tag) {
    case 0:
        return !m_datasource->isDynamicPlaylist();
    case 1:
        return m_datasource->isDynamicPlaylist();
    default:
        return false;
    }
}

void OrvantaWindowController::validateUserInterfaceItems() {
    if (!m_view)
        return;
    for (QAction* action : m_view->menuActions())
        action->setEnabled(validateMenuItem(action));
    for (QAction* action : m_view->toolbarActions())
        action->setEnabled(validateToolbarItem(action));
}

void OrvantaWindowController::switchSettingsPane(int tag) {
    if (m_view)
        m_view->showSettingsPane(tag);
}
