// Displays and output mode: the display chooser, the application-wide display-change notice, the
// identification of a chosen display, and the output window's frame for each output mode.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "playback/BorderlessWindow.h"
#include "playback/OutputFrames.h"
#include "window/DisplayIdentifierWindowController.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

namespace {

// The item data role that holds the display an item of the chooser stands for.
constexpr int RepresentedObjectRole = Qt::UserRole + 1;
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

QString sizeTip(const QScreen* screen) {
    const QRectF frame = frameOf(screen);
    return QStringLiteral("width: %1, height: %2")
        .arg(static_cast<int>(float(frame.width())))
        .arg(static_cast<int>(float(frame.height())));
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

QList<QRectF> displayFrames() {
    QList<QRectF> frames;
    for (const QScreen* screen : QGuiApplication::screens())
        frames.append(frameOf(screen));
    return frames;
}

} // namespace

void OrvantaWindowController::registerDisplayReconfigurationCallBack() {
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

void OrvantaWindowController::setupSelectDisplayPopUp() {
    if (!m_selectDisplayPopUp)
        return;
    const QSignalBlocker quiet(m_selectDisplayPopUp);
    m_selectDisplayPopUp->clear();
    auto addDisplay = [this](const QString& title, int tag, QScreen* screen) {
        m_selectDisplayPopUp->addItem(title, tag);
        const int index = m_selectDisplayPopUp->count() - 1;
        m_selectDisplayPopUp->setItemData(index, sizeTip(screen), Qt::ToolTipRole);
        m_selectDisplayPopUp->setItemData(index, QVariant::fromValue<QObject*>(screen),
                                          RepresentedObjectRole);
    };
    addDisplay(QStringLiteral("Main Display"), 0, QGuiApplication::primaryScreen());
    m_selectDisplayPopUp->insertSeparator(1);
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i)
        addDisplay(QStringLiteral("Display %1").arg(i), i, screens[i]);
    // A rebuild starts again from the main display.
    m_selectDisplayPopUp->setCurrentIndex(0);
}

QScreen* OrvantaWindowController::representedScreen(int index) const {
    if (!m_selectDisplayPopUp || index < 0)
        return nullptr;
    auto* screen = qobject_cast<QScreen*>(
        m_selectDisplayPopUp->itemData(index, RepresentedObjectRole).value<QObject*>());
    // A display that went away before the chooser was rebuilt stands for nothing.
    return QGuiApplication::screens().contains(screen) ? screen : nullptr;
}

void OrvantaWindowController::handleFullscreenSelection() {
    applyOutputMode();
}

void OrvantaWindowController::applyOutputMode() {
    if (!m_datasource)
        return;
    const PlaylistSettings* settings = m_datasource->settings();
    OutputFrames::OutputModeInputs inputs = customFrameInputs(*settings);
    if (m_selectDisplayPopUp)
        inputs.selectedDisplay = frameOf(representedScreen(m_selectDisplayPopUp->currentIndex()));
    inputs.displays = displayFrames();
    const std::optional<OutputFrames::OutputMode> mode =
        OutputFrames::outputMode(settings->fullScreenType(), inputs);
    if (!mode)
        return;
    setIsPreviewPlayback(mode->isPreviewPlayback);
    if (isPreviewPlayback())
        m_fullscreenFrame = QRectF();
    if (mode->frame && m_outputWindow)
        m_outputWindow->setFrame(*mode->frame);
}

void OrvantaWindowController::handleDisplaySelection() {
    if (!m_selectDisplayPopUp)
        return;
    const int index = m_selectDisplayPopUp->currentIndex();
    QScreen* screen = representedScreen(index);
    // 1. Whatever the output mode is.
    if (m_outputWindow)
        m_outputWindow->setFrame(frameOf(screen));
    // 2.
    if (!m_displayIdentifierController) {
        m_displayIdentifierController =
            DisplayIdentifierWindowController::displayIdentifierWindowController();
        m_displayIdentifierController->window();
    }
    // 3.
    m_displayIdentifierController->identifyScreen(
        screen, m_selectDisplayPopUp->itemData(index, Qt::UserRole).toInt());
}

void OrvantaWindowController::handleCustomFrame() {
    if (!m_datasource)
        return;
    // Entering a value chooses the output window, whatever the mode.
    setIsPreviewPlayback(false);
    const std::optional<OutputFrames::OutputMode> custom =
        OutputFrames::outputMode(CustomFrameMode, customFrameInputs(*m_datasource->settings()));
    if (m_outputWindow && custom && custom->frame)
        m_outputWindow->setFrame(*custom->frame);
}
