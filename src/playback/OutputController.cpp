#include "playback/OutputController.h"

#include "document/PlaylistSettings.h"
#include "platform/media/MpvPlayer.h"
#include "platform/notifications/NotificationCenter.h"
#include "playback/BorderlessWindow.h"
#include "playback/ClickableMovieView.h"
#include "playback/DisplayIdentifierWindowController.h"
#include "playback/OutputFrames.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

constexpr char WatchedProperty[] = "orvantaDisplayWatched";
constexpr qint64 CustomFrameMode = 3;

// Posts "displayChangeNotice" for every change of the screens.
void DisplayReconfigurationCallBack() {
    NotificationCenter::defaultCenter().postNotificationName(NotificationCenter::DisplayChangeNotice);
}

// Once per screen, however often the screen is announced.
void watchScreen(QScreen* screen) {
    if (!screen || screen->property(WatchedProperty).toBool())
        return;
    screen->setProperty(WatchedProperty, true);
    QObject::connect(screen, &QScreen::geometryChanged, qApp, [] { DisplayReconfigurationCallBack(); });
}

QRectF frameOf(const QScreen* screen) {
    return screen ? QRectF(screen->geometry()) : QRectF();
}

QList<QRectF> displayFrames() {
    QList<QRectF> frames;
    for (const QScreen* screen : QGuiApplication::screens())
        frames.append(frameOf(screen));
    return frames;
}

// The four custom frame settings, read as floats in their order.
OutputFrames::OutputModeInputs customFrameInputs(const PlaylistSettings& settings) {
    OutputFrames::OutputModeInputs inputs;
    inputs.customX = float(settings.customFrameX());
    inputs.customY = float(settings.customFrameY());
    inputs.customWidth = float(settings.customFrameWidth());
    inputs.customHeight = float(settings.customFrameHeight());
    return inputs;
}

} // namespace

OutputController::OutputController() = default;

OutputController::~OutputController() {
    NotificationCenter::defaultCenter().removeObserver(this);
    releaseOutputWindow();
}

void OutputController::setupSelectDisplayPopUp() {
    m_displayChooser.reload();
}

void OutputController::followDisplayChanges() {
    if (!m_followingDisplays) {
        m_followingDisplays = true;
        NotificationCenter::defaultCenter().addObserver(this, NotificationCenter::DisplayChangeNotice,
                                                        [this](const QString&, const QVariant&) {
                                                            setupSelectDisplayPopUp();
                                                            emit displaysChanged();
                                                        });
    }
    registerDisplayReconfigurationCallBack();
}

void OutputController::registerDisplayReconfigurationCallBack() {
    // Every window asks; the application connects once, to itself, so nothing here refers to a window.
    static bool registered = false;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (registered || !app)
        return;
    registered = true;
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
    QObject::connect(app, &QGuiApplication::screenAdded, app, [](QScreen* screen) {
        watchScreen(screen);
        DisplayReconfigurationCallBack();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, app, [] { DisplayReconfigurationCallBack(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, app,
                     [] { DisplayReconfigurationCallBack(); });
}

void OutputController::makeOutputWindow(MpvPlayer* player, VideoOutput::Kind kind) {
    if (m_outputWindow)
        return;
    m_outputWindow = std::make_unique<BorderlessWindow>();
    m_movieView = new ClickableMovieView();
    m_movieView->setDismissesWithoutMovie(true);
    m_movieView->setObjectName(QStringLiteral("fullscreenMovieView"));
    m_outputWindow->setContentView(m_movieView);
    if (player) {
        // A second view of the preview's player: both show the same picture of the current movie.
        m_movieView->setVideoView(VideoOutput::createView(player, kind));
        m_movieView->setMovieSource(
            [player = QPointer<MpvPlayer>(player)] { return player ? player->movie() : nullptr; });
    }
}

void OutputController::releaseOutputWindow() {
    if (!m_outputWindow)
        return;
    m_outputWindow->orderOut();
    m_movieView = nullptr;
    m_outputWindow.reset();
}

std::optional<bool> OutputController::applyOutputMode(const PlaylistSettings& settings, int chooserRow) {
    OutputFrames::OutputModeInputs inputs = customFrameInputs(settings);
    inputs.selectedDisplay = frameOf(representedScreen(chooserRow));
    inputs.displays = displayFrames();
    const std::optional<OutputFrames::OutputMode> mode =
        OutputFrames::outputMode(settings.fullScreenType(), inputs);
    if (!mode)
        return std::nullopt;
    if (mode->isPreviewPlayback)
        m_fullscreenFrame = QRectF();
    if (mode->frame && m_outputWindow)
        m_outputWindow->setFrame(*mode->frame);
    return mode->isPreviewPlayback;
}

void OutputController::applyCustomFrame(const PlaylistSettings& settings) {
    const std::optional<OutputFrames::OutputMode> custom =
        OutputFrames::outputMode(CustomFrameMode, customFrameInputs(settings));
    if (m_outputWindow && custom && custom->frame)
        m_outputWindow->setFrame(*custom->frame);
}

void OutputController::chooseDisplay(int chooserRow) {
    QScreen* screen = representedScreen(chooserRow);
    if (m_outputWindow)
        m_outputWindow->setFrame(frameOf(screen));
    if (!m_displayIdentifierController) {
        m_displayIdentifierController =
            DisplayIdentifierWindowController::displayIdentifierWindowController();
        m_displayIdentifierController->window();
    }
    m_displayIdentifierController->identifyScreen(screen, m_displayChooser.tag(chooserRow));
}

bool OutputController::goesAbovePanels() const {
    // An output window that encloses the main display, or that is exactly one display, goes above the
    // desktop's panels (fullscreen on that display).
    if (!m_outputWindow)
        return false;
    const QRectF frame = m_outputWindow->frame();
    if (OutputFrames::containsRect(frame, frameOf(QGuiApplication::primaryScreen())))
        return true;
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&](QScreen* s) { return frameOf(s) == frame; });
}

void OutputController::presentForPlayback(QWidget* playlistWindow) {
    const bool abovePanels = goesAbovePanels();
    if (playlistWindow)
        playlistWindow->lower();
    if (!m_outputWindow)
        return;
    m_movieView->setFocus(Qt::OtherFocusReason);
    m_outputWindow->orderFront(abovePanels);
    // Recorded once shown, so that showing it under the pointer does not count as a move.
    m_outputWindow->setCursorHiddenUntilMouseMoves();
}

void OutputController::dismissForPreview() {
    if (m_outputWindow && m_outputWindow->isVisible())
        m_outputWindow->orderOut();
}

void OutputController::followFrame() {
    if (m_outputWindow && m_outputWindow->isVisible())
        m_outputWindow->orderFront(goesAbovePanels(), /*activate=*/false);
}

void OutputController::dismissAfterStop(bool previewPlayback) {
    if (!m_outputWindow)
        return;
    if (!previewPlayback)
        m_outputWindow->orderOut();
    m_outputWindow->endAbovePanels();
}

void OutputController::bringToFront(QWidget* playlistWindow) {
    if (!m_outputWindow)
        return;
    if (playlistWindow)
        playlistWindow->lower();
    m_outputWindow->orderFront(m_outputWindow->isAbovePanels());
}
