#include "playback/BorderlessWindow.h"

#include "platform/ui/X11FullscreenMonitors.h"
#include "playback/OutputFrames.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <utility>

namespace {

bool requestSpan(QWindow* window, const OutputFrames::EdgeDisplays& edges) {
    return X11FullscreenMonitors::request(window, {edges.top, edges.bottom, edges.left, edges.right});
}

// Whole pixels of a frame given in floats.
QRect pixelRect(const QRectF& frame) {
    return QRect(qRound(frame.x()), qRound(frame.y()), qRound(frame.width()), qRound(frame.height()));
}

// The screen whose geometry is exactly the frame, if any.
QScreen* screenWithGeometry(const QRect& frame) {
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->geometry() == frame)
            return screen;
    }
    return nullptr;
}

QList<QRectF> screenFrames() {
    QList<QRectF> frames;
    for (const QScreen* screen : QGuiApplication::screens())
        frames.append(QRectF(screen->geometry()));
    return frames;
}

bool placesOwnWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

BorderlessWindow::BorderlessWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("fullscreenWindow"));
    setWindowTitle(QStringLiteral("Orvanta Output"));
    setFocusPolicy(Qt::StrongFocus);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void BorderlessWindow::setContentView(QWidget* view) {
    delete m_contentView;
    m_contentView = view;
    if (view) {
        view->setParent(this);
        layout()->addWidget(view);
    }
}

void BorderlessWindow::setFrame(const QRectF& frame) {
    m_frame = frame;
    if (!isFullScreen())
        setGeometry(pixelRect(frame));
}

void BorderlessWindow::orderFront(bool abovePanels, bool activate) {
    if (OutputFrames::isEmptyRect(m_frame)) {
        orderOut();
        return;
    }
    const QRect frame = pixelRect(m_frame);
    QScreen* exactScreen = screenWithGeometry(frame);
    // Several whole screens: fullscreen across them where the window manager can do that.
    std::optional<OutputFrames::EdgeDisplays> span;
    if (abovePanels && !exactScreen && X11FullscreenMonitors::isSupported())
        span = OutputFrames::edgeDisplays(QRectF(frame), screenFrames());
    const bool fullScreen = (exactScreen && (abovePanels || !placesOwnWindows())) || span;
    const bool staysOnTop = abovePanels && !fullScreen && placesOwnWindows();
    m_span = span;
    QScreen* fullScreenOn = !fullScreen   ? nullptr
                            : exactScreen ? exactScreen
                                          : QGuiApplication::screens().value(span->left);
    if (fullScreen != isFullScreen() || (fullScreen && screen() != fullScreenOn) ||
        staysOnTop != windowFlags().testFlag(Qt::WindowStaysOnTopHint) || isHidden()) {
        // Flags and states change while the window is off the screen; a visible window would flicker.
        hide();
        setWindowFlag(Qt::WindowStaysOnTopHint, staysOnTop);
        if (fullScreen) {
            setScreen(fullScreenOn);
            setGeometry(frame);
            setWindowState(windowState() | Qt::WindowFullScreen);
        } else {
            setWindowState(windowState() & ~Qt::WindowFullScreen);
            // Off the screen it was fullscreen on, if the frame lies elsewhere.
            if (QScreen* under = QGuiApplication::screenAt(frame.center()))
                setScreen(under);
            setGeometry(frame);
        }
    }
    m_abovePanels = abovePanels && (fullScreen || staysOnTop);
    show();
    // Every move over the window passes its platform window, whichever widget it is for and whether or
    // not that widget tracks the mouse.
    if (!m_watchingMoves && windowHandle()) {
        windowHandle()->installEventFilter(this);
        m_watchingMoves = true;
    }
    // Asked now and again once the window is on the screen, when the window manager manages it.
    if (m_span)
        requestSpan(windowHandle(), *m_span);
    raise();
    if (activate)
        activateWindow();
}

void BorderlessWindow::orderOut() {
    hide();
    endAbovePanels();
    showCursor();
}

void BorderlessWindow::endAbovePanels() {
    const bool stateChanges = windowFlags().testFlag(Qt::WindowStaysOnTopHint) || isFullScreen();
    m_abovePanels = false;
    m_span.reset();
    if (!stateChanges)
        return;
    const bool visible = isVisible();
    hide();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    setGeometry(pixelRect(m_frame));
    if (visible)
        show();
}

void BorderlessWindow::setCursorHiddenUntilMouseMoves() {
    m_cursorHidden = true;
    m_cursorHiddenAt = QCursor::pos();
    setCursor(Qt::BlankCursor);
}

void BorderlessWindow::showCursor() {
    if (!m_cursorHidden)
        return;
    m_cursorHidden = false;
    unsetCursor();
}

void BorderlessWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

bool BorderlessWindow::eventFilter(QObject* watched, QEvent* event) {
    if (m_span && event->type() == QEvent::Expose && windowHandle() && windowHandle()->isExposed())
        requestSpan(windowHandle(), *std::exchange(m_span, std::nullopt));
    // Showing a window under the pointer can bring a move to where the pointer already was.
    if (m_cursorHidden && event->type() == QEvent::MouseMove &&
        static_cast<QMouseEvent*>(event)->globalPosition().toPoint() != m_cursorHiddenAt)
        showCursor();
    return QWidget::eventFilter(watched, event);
}
