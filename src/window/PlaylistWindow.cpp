#include "window/PlaylistWindow.h"

#include <QCloseEvent>

PlaylistWindow::PlaylistWindow(std::function<bool()> shouldClose)
    : m_shouldClose(std::move(shouldClose)) {}

void PlaylistWindow::closeForGood() {
    m_closing = true;
    close();
}

void PlaylistWindow::closeEvent(QCloseEvent* event) {
    if (m_closing || !m_shouldClose || m_shouldClose())
        event->accept();
    else
        event->ignore();
}
