#include "app/OrvantaDocumentController.h"

#include "app/ApplicationMenus.h"

#include "document/OrvantaDocument.h"
#include "platform/PlayLog.h"
#include "platform/ScreenSaverInhibitor.h"
#include "platform/ValueTransformerRegistry.h"
#include "platform/defaults/InitialUserDefaults.h"
#include "platform/ui/X11ScreenSaver.h"
#include "playback/IsCustomFrameTransformer.h"
#include "playback/IsSelectedDisplayTransformer.h"
#include "playback/PlaylistPlayback.h"
#include "window/OrvantaWindowController.h"

#include <QApplication>
#include <QPointer>
#include <cstdio>

namespace {

// The play log hears every transport event of a playlist window, and each clip that failed to play
// ("movieFailed", with the player's message), under the playlist's name.
void logTransportEvents(OrvantaWindowController& controller, Document& document) {
    const auto record = [playlist = QPointer<Document>(&document)](const QString& event, int row,
                                                                   const QString& clip, const QString& path,
                                                                   const QString& message) {
        PlayLog::Entry entry;
        entry.playlist = playlist ? playlist->displayName() : QString();
        entry.event = event;
        if (row >= 0)
            entry.row = row;
        entry.clip = clip;
        entry.path = path;
        entry.message = message;
        PlayLog::record(entry);
    };
    QObject::connect(controller.playback(), &PlaylistPlayback::transportEvent, &controller,
                     [record](const QString& event, int row, const QString& clip, const QString& path) {
                         record(event, row, clip, path, {});
                     });
    QObject::connect(controller.playback(), &PlaylistPlayback::movieFailed, &controller,
                     [record](int row, const QString& clip, const QString& path, const QString& message) {
                         record(QStringLiteral("movieFailed"), row, clip, path, message);
                     });
}

// The screen stays awake while the playlist plays: from play until stop, pause, the end or the window's
// closing. Each window holds its own inhibition, under the playlist's name.
void keepScreenAwake(OrvantaWindowController& controller, Document& document) {
    auto* inhibitor =
        new ScreenSaverInhibitor(QDBusConnection::sessionBus(), &X11ScreenSaver::suspend, &controller);
    QObject::connect(controller.playback(), &PlaylistPlayback::stateChanged, inhibitor,
                     [inhibitor, playlist = QPointer<Document>(&document)](PlaylistPlayback::State state) {
                         if (state != PlaylistPlayback::State::Playing)
                             inhibitor->release();
                         else if (playlist)
                             inhibitor->inhibit(QStringLiteral("Playing %1").arg(playlist->displayName()));
                     });
}

} // namespace

void OrvantaDocumentController::initialize() {
    static bool initialized = false;
    if (initialized)
        return;
    initialized = true;
    const QString problem = registerInitialUserDefaults(UserDefaults::standardUserDefaults(),
                                                        QStringLiteral(":/InitialUserDefaults.plist"));
    if (!problem.isEmpty())
        std::fprintf(stderr, "orvanta: initial defaults: %s\n", qPrintable(problem));
    ValueTransformerRegistry::setValueTransformer(std::make_shared<IsSelectedDisplayTransformer>(),
                                                  QStringLiteral("isSelectedDisplay"));
    ValueTransformerRegistry::setValueTransformer(std::make_shared<IsCustomFrameTransformer>(),
                                                  QStringLiteral("isCustomFrame"));
}

OrvantaDocumentController::OrvantaDocumentController(QObject* parent)
    : DocumentController(parent) {
    initialize();
    auto makeUntitled = [](const QString& typeName, DocumentError* error) -> std::unique_ptr<Document> {
        return OrvantaDocument::initWithType(typeName, error);
    };
    auto makeForReading = []() -> std::unique_ptr<Document> { return std::make_unique<OrvantaDocument>(); };
    registerDocumentType({OrvantaDocument::StandardPlaylistType, QStringLiteral("Standard Playlist"),
                          QStringLiteral("orvplaylist"),
                          QStringLiteral("application/x-orvanta-standard-playlist"), makeUntitled,
                          makeForReading});
    registerDocumentType({OrvantaDocument::DynamicPlaylistType, QStringLiteral("Dynamic Playlist"),
                          QStringLiteral("orvdynamic"),
                          QStringLiteral("application/x-orvanta-dynamic-playlist"), makeUntitled,
                          makeForReading});
    OrvantaDocument::setWindowControllerFactory(
        [this](OrvantaDocument& document) -> std::unique_ptr<WindowController> {
            auto controller = OrvantaWindowController::orvantaWindowController(
                this, [this](QMainWindow* window, Document* document) {
                    ApplicationMenus::install(window, this, document);
                });
            controller->setDatasource(&document);
            logTransportEvents(*controller, document);
            keepScreenAwake(*controller, document);
            emit windowControllerMade(controller.get());
            return controller;
        });
}

OrvantaDocumentController::~OrvantaDocumentController() {
    OrvantaDocument::setWindowControllerFactory(nullptr);
    m_documentType.clear();
}

Document* OrvantaDocumentController::newStandardPlaylistDocument() {
    m_documentType = OrvantaDocument::StandardPlaylistType;
    return newDocument();
}

Document* OrvantaDocumentController::newDynamicPlaylistDocument() {
    m_documentType = OrvantaDocument::DynamicPlaylistType;
    return newDocument();
}

void OrvantaDocumentController::showPreferencePanel() {
    if (!m_preferenceController) {
        m_preferenceController = PreferencesWindowController::preferencesWindowController();
        m_preferenceController->center();
    }
    m_preferenceController->showWindow();
}

bool OrvantaDocumentController::terminate() {
    if (m_quitHandler) {
        m_quitHandler();
        return true;
    }
    if (!reviewUnsavedDocumentsForQuit())
        return false;
    closeAllDocuments();
    QApplication::quit();
    return true;
}
