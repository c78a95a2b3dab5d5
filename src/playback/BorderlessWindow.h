#pragma once

#include "playback/OutputFrames.h"

#include <QPoint>
#include <QRectF>
#include <QWidget>
#include <optional>

// The output window: a frameless top-level window that takes the keyboard, black behind its content,
// placed exactly at its frame in global coordinates.
//
// Over the desktop's panels: a frame that is one screen's geometry goes to the fullscreen state on that
// screen; a frame made of several whole screens goes fullscreen across them where the X11 window
// manager offers that; any other frame stays on top of everything at its frame.
// On Wayland, where clients cannot place windows, a frame equal to a screen still goes fullscreen on it;
// other frames are shown where the compositor puts them.
//
// The cursor can be hidden over the window until the mouse next moves. Main thread only.
class BorderlessWindow : public QWidget {
    Q_OBJECT
public:
    explicit BorderlessWindow(QWidget* parent = nullptr);

    // The window's content, owned by the window from here on; it fills the window.
    void setContentView(QWidget* view);
    QWidget* contentView() const { return m_contentView; }

    // Moves the window to the frame without showing it: a hidden window stays hidden. A window shown
    // fullscreen keeps its screen until it is shown again.
    void setFrame(const QRectF& frame);
    QRectF frame() const { return m_frame; }

    // Shows the window at its frame and makes it active; above the panels when asked. A window with an
    // empty frame shows nothing and stays hidden. Without activation a shown window is only placed
    // again (another screen, in or out of the fullscreen state) and leaves the keyboard where it is.
    void orderFront(bool abovePanels, bool activate = true);
    // Hides the window and ends the above-panels state.
    void orderOut();
    bool isAbovePanels() const { return m_abovePanels; }
    // Back to an ordinary window at its frame; a visible window stays visible.
    void endAbovePanels();

    // A blank cursor over the window until the mouse moves away from where it is now.
    void setCursorHiddenUntilMouseMoves();
    bool isCursorHidden() const { return m_cursorHidden; }

signals:
    // The window manager asked to close the window (Alt+F4, a close button): the window stays until
    // whoever shows it takes it away, so that playback never goes on unseen.
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showCursor();

    QWidget* m_contentView = nullptr;
    QRectF m_frame;
    bool m_abovePanels = false;
    bool m_cursorHidden = false;
    QPoint m_cursorHiddenAt;
    bool m_watchingMoves = false;
    // Fullscreen across these screens, still to be confirmed once the window is exposed.
    std::optional<OutputFrames::EdgeDisplays> m_span;
};
