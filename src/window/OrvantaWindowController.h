#pragma once

#include "platform/documents/WindowController.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class OrvantaDocument;
class OrvantaDocumentController;
class PlaylistWindow;

// The window controller of one playlist. Its window carries the application's menus and the
// playlist's title ("Standard Playlist:  name" or "Dynamic Playlist:  name") with the edited mark.
class OrvantaWindowController : public WindowController {
    Q_OBJECT
public:
    static std::unique_ptr<OrvantaWindowController>
    orvantaWindowController(OrvantaDocumentController* controller);
    ~OrvantaWindowController() override;

    OrvantaDocument* datasource() const { return m_datasource; }
    void setDatasource(OrvantaDocument* document) { m_datasource = document; }

    QMainWindow* window();
    QString windowTitleForDocumentDisplayName(const QString& displayName) const override;
    void showWindow() override;
    void closeWindow() override;
    void synchronizeWindowTitleWithDocumentName() override;

    // The user closed the window: the document decides (it may save silently or ask).
    bool windowShouldClose();

private:
    explicit OrvantaWindowController(OrvantaDocumentController* controller);

    OrvantaDocumentController* m_documentController;
    OrvantaDocument* m_datasource = nullptr;
    std::unique_ptr<PlaylistWindow> m_window;
};
