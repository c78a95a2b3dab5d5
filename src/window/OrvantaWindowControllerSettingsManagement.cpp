// Displays and output mode: the display chooser and the application-wide display-change notice.
#include "window/OrvantaWindowController.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>

namespace {

// Posts "displayChangeNotice" for every change of the screens.
void DisplayReconfigurationCallBack() {
    NotificationCenter::defaultCenter().postNotificationName(NotificationCenter::DisplayChangeNotice);
}

void watchScreen(QScreen* screen) {
    QObject::connect(screen, &QScreen::geometryChanged, qApp, [] { DisplayReconfigurationCallBack(); });
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
    auto sizeTip = [](const QScreen* screen) {
        const QRect frame = screen ? screen->geometry() : QRect();
        return QStringLiteral("width: %1, height: %2").arg(frame.width()).arg(frame.height());
    };
    QScreen* main = QGuiApplication::primaryScreen();
    m_selectDisplayPopUp->addItem(QStringLiteral("Main Display"), 0);
    m_selectDisplayPopUp->setItemData(0, sizeTip(main), Qt::ToolTipRole);
    m_selectDisplayPopUp->insertSeparator(1);
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (int i = 0; i < screens.size(); ++i) {
        m_selectDisplayPopUp->addItem(QStringLiteral("Display %1").arg(i), i);
        m_selectDisplayPopUp->setItemData(m_selectDisplayPopUp->count() - 1, sizeTip(screens[i]),
                                          Qt::ToolTipRole);
    }
}

void OrvantaWindowController::handleFullscreenSelection() {
    // Applying the output mode (preview, a display, all displays, a custom frame) comes with the output
    // window; the mode control already writes fullScreenType.
}
