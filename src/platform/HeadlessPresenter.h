#pragma once

#include "platform/Presenter.h"

// The presenter of runs without a user: alerts go to standard error, beeps are counted, panels and
// questions are answered at once as cancelled, so nothing ever waits for a person.
class HeadlessPresenter : public Presenter {
public:
    void showAlert(const QString& messageText, const QString& informativeText) override;
    void beep() override { ++m_beeps; }
    SaveChangesAnswer askSaveChanges(const QString& documentName) override;
    OpenPanelResult runOpenPanel(const OpenPanelRequest& request) override;
    std::optional<QUrl> runSavePanel(const SavePanelRequest& request) override;

    int beepCount() const { return m_beeps; }

private:
    int m_beeps = 0;
};
