#pragma once

#include <QListWidget>
#include <QMainWindow>

class OrvantaDocumentController;

// The window shown while no playlist is open, so the application is never without a window on a
// desktop that has no global menu bar: the application's menus, the new-playlist and open commands as
// buttons, and the recent files. It hides while any playlist is open; closing it quits.
class StartWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit StartWindow(OrvantaDocumentController* controller);

    // Shows the window when no playlist is open, hides it otherwise.
    void updateVisibility();
    void refreshRecentFiles();
    QListWidget* recentList() const { return m_recent; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    OrvantaDocumentController* m_controller;
    QListWidget* m_recent;
};
