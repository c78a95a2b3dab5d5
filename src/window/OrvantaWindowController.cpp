#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "document/PlaylistSettings.h"
#include "platform/NaturalOrder.h"
#include "platform/Presenter.h"
#include "platform/documents/DocumentController.h"
#include "platform/media/MpvPlayer.h"
#include "platform/ui/OpenAccessoryViewController.h"
#include "window/ClipsController.h"
#include "window/PlaylistWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QStackedWidget>
#include <QTabBar>
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
    tearDownPlayback();
    // Nothing that outlives the controller may reach it afterwards.
    for (const QMetaObject::Connection& connection : m_connections)
        disconnect(connection);
    m_connections.clear();
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
    if (m_window) {
        m_window->closeForGood();
        m_window.reset();
    }
    m_clipsController.reset();

    m_importedClips.clear();
    m_DRMClips.clear();
    m_datasource = nullptr;
    m_openAccessoryViewController.reset();
    m_allowedTypes.clear();
}

QMainWindow* OrvantaWindowController::window() {
    if (!m_window) {
        loadWindow();
        awakeFromNib();
        windowDidLoad();
    }
    return m_window.get();
}

void OrvantaWindowController::awakeFromNib() {
    setupClipsDragAndDrop();

    // The display chooser lists the displays now and again on every change of them.
    m_output->followDisplayChanges();
    setupSelectDisplayPopUp();
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
    // 2.
    m_importedClips.clear();
    m_DRMClips.clear();
    m_allowedTypes.clear();
    // 3. The movie types the system knows, for the add panel.
    for (const QMimeType& type : QMimeDatabase().allMimeTypes()) {
        if (type.name().startsWith(QLatin1String("video/")))
            m_allowedTypes.append(type.name());
    }
    // 4. A dynamic playlist is rebuilt from its folder; the window is shown first so the run can be seen.
    if (m_datasource && m_datasource->isDynamicPlaylist()) {
        m_window->show();
        addClipsWithURLs({m_datasource->dynamicSourceFolder()});
        m_infoTab->setCurrentIndex(0);
    } else {
        m_infoTab->setCurrentIndex(1);
    }
    // 5-7.
    m_clipsController->rearrangeObjects();
    tableViewSelectionDidChange();
    handleFullscreenSelection();
    // 8.
    startAutoChangeObservation();
    // 9. Closing the others never asks about their changes; the last listed goes first.
    if (m_datasource && m_datasource->settings()->closeOthersAtStartup() && m_documentController) {
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
    // 10. The set has no order of its own; sorted as a file manager sorts, a folder's files stand
    // together in their order.
    if (m_datasource && !m_datasource->missingItems().isEmpty()) {
        QStringList paths(m_datasource->missingItems().cbegin(), m_datasource->missingItems().cend());
        std::sort(paths.begin(), paths.end(), naturalLess);
        Presenter::shared().showAlert(
            QStringLiteral("Missing Items"),
            QStringLiteral("Orvanta was not able to locate the following files:\n\n%1")
                .arg(paths.join(u'\n')));
    }
    // 11-12.
    setupFullscreenWindowFromSettings();
    if (m_datasource && m_datasource->settings()->autoplay()) {
        m_window->lower();
        play();
    }
}

QString OrvantaWindowController::windowTitleForDocumentDisplayName(const QString& displayName) const {
    const bool dynamic = m_datasource && m_datasource->isDynamicPlaylist();
    return (dynamic ? QStringLiteral("Dynamic Playlist:  %1") : QStringLiteral("Standard Playlist:  %1"))
        .arg(displayName);
}

void OrvantaWindowController::showWindow() {
    QMainWindow* w = window();
    w->show();
    // Autoplay sends the window to the back at load; showing it must not undo that.
    if (!(m_datasource && m_datasource->settings()->autoplay())) {
        w->raise();
        w->activateWindow();
    }
}

void OrvantaWindowController::closeWindow() {
    if (m_window)
        m_window->closeForGood();
}

void OrvantaWindowController::synchronizeWindowTitleWithDocumentName() {
    if (!m_window || !document())
        return;
    // "[*]" is where Qt puts the edited mark.
    m_window->setWindowTitle(windowTitleForDocumentDisplayName(document()->displayName()) +
                             QStringLiteral("[*]"));
    m_window->setWindowModified(document()->isDocumentEdited());
}

bool OrvantaWindowController::windowShouldClose() {
    if (m_isImporting)
        return false;
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
        m_output->bringToFront(m_window.get());
}

bool OrvantaWindowController::validateMenuItem(const QAction* item) const {
    const QString action = item ? item->objectName() : QString();
    if (action == QLatin1String("addNewClips") || action == QLatin1String("removeClips"))
        return m_datasource && !m_datasource->isDynamicPlaylist();
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
    for (QAction* action : std::as_const(m_menuActions))
        action->setEnabled(validateMenuItem(action));
    for (QAction* action : std::as_const(m_toolbarActions))
        action->setEnabled(validateToolbarItem(action));
}

void OrvantaWindowController::switchSettingsPane(int tag) {
    if (!m_settingsSelector || !m_settingsTab)
        return;
    m_settingsSelector->setCurrentIndex(tag);
    m_settingsTab->setCurrentIndex(tag);
}

void OrvantaWindowController::startAutoChangeObservation() {
    if (m_observingChanges)
        return;
    m_observingChanges = true;
    // The clips controller belongs to the controller: Qt withdraws this one with it.
    connect(m_clipsController.get(), &ClipsController::arrangedObjectsChanged, this,
            [this] { observeValueForKeyPath(QStringLiteral("arrangedObjects")); });
    if (!m_datasource)
        return;
    // The settings object held now; the document outlives the controller, so this one is recorded.
    m_connections.push_back(
        connect(m_datasource->settings(), &PlaylistSettings::valueChanged, this, [this](const QString& key) {
            if (PlaylistSettings::knownKeys().contains(key))
                observeValueForKeyPath(key);
        }));
}

void OrvantaWindowController::observeValueForKeyPath(const QString&) {
    if (m_datasource)
        m_datasource->updateChangeCount(Document::ChangeKind::Done);
}
