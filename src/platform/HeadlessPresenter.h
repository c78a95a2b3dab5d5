#pragma once

#include "platform/Presenter.h"

// The presenter of runs without a user: alerts go to standard error, beeps are counted, panels and
// file panels are cancelled at once, the "save changes?" question is answered by whether the document has a
// file, and another program's version of a file is kept as a conflict copy while the document keeps its
// own (said on standard error), so nothing ever waits for a person.
class HeadlessPresenter : public Presenter {
public:
    void showAlert(const QString& messageText, const QString& informativeText) override;
    void beep() override { ++m_beeps; }
    // Nobody to ask: a document with a file keeps its changes, an untitled one lets them go.
    SaveChangesAnswer askSaveChanges(const QString& documentName) override;
    SaveChangesAnswer askSaveChangesForDocument(const QString& documentName, bool hasFile) override;
    FileConflictAnswer askResolveFileConflict(const QString& documentName,
                                              const QString& conflictCopyPath) override;
    OpenPanelResult runOpenPanel(const OpenPanelRequest& request) override;
    std::optional<QUrl> runSavePanel(const SavePanelRequest& request) override;

    int beepCount() const { return m_beeps; }

private:
    int m_beeps = 0;
};
