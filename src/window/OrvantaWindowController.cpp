#include "window/OrvantaWindowController.h"

#include "app/ApplicationMenus.h"
#include "app/OrvantaDocumentController.h"
#include "document/OrvantaDocument.h"
#include "window/PlaylistWindow.h"

#include <QLabel>

std::unique_ptr<OrvantaWindowController>
OrvantaWindowController::orvantaWindowController(OrvantaDocumentController* controller) {
    return std::unique_ptr<OrvantaWindowController>(new OrvantaWindowController(controller));
}

OrvantaWindowController::OrvantaWindowController(OrvantaDocumentController* controller)
    : m_documentController(controller) {}

OrvantaWindowController::~OrvantaWindowController() {
    if (m_window)
        m_window->closeForGood();
    m_datasource = nullptr;
}

QMainWindow* OrvantaWindowController::window() {
    if (!m_window) {
        m_window = std::make_unique<PlaylistWindow>([this] { return windowShouldClose(); });
        m_window->setObjectName(QStringLiteral("OrvantaDocument"));
        if (m_documentController)
            ApplicationMenus::install(m_window.get(), m_documentController, document());
        auto* placeholder = new QLabel(QStringLiteral("This playlist has no clips yet."), m_window.get());
        placeholder->setAlignment(Qt::AlignCenter);
        m_window->setCentralWidget(placeholder);
        m_window->resize(900, 600);
        synchronizeWindowTitleWithDocumentName();
    }
    return m_window.get();
}

QString OrvantaWindowController::windowTitleForDocumentDisplayName(const QString& displayName) const {
    const bool dynamic = m_datasource && m_datasource->isDynamicPlaylist();
    return (dynamic ? QStringLiteral("Dynamic Playlist:  %1") : QStringLiteral("Standard Playlist:  %1"))
        .arg(displayName);
}

void OrvantaWindowController::showWindow() {
    QMainWindow* w = window();
    w->show();
    w->raise();
    w->activateWindow();
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
    Document* doc = document();
    if (!doc)
        return true;
    if (!doc->canClose())
        return false;
    // A failed save keeps the document, and so its window, open.
    return doc->close();
}
