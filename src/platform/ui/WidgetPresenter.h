#pragma once

#include "platform/Presenter.h"

// The presenter of the desktop: message boxes, Qt's own file dialogs (so that the accessory check box
// can join their layout) and the system beep. A panel that may choose files and folders takes both
// together, several at once when asked.
class WidgetPresenter : public Presenter {
public:
    void showAlert(const QString& messageText, const QString& informativeText) override;
    void beep() override;
    SaveChangesAnswer askSaveChanges(const QString& documentName) override;
    FileConflictAnswer askResolveFileConflict(const QString& documentName,
                                              const QString& conflictCopyPath) override;
    OpenPanelResult runOpenPanel(const OpenPanelRequest& request) override;
    std::optional<QUrl> runSavePanel(const SavePanelRequest& request) override;
};
