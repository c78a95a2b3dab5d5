#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <memory>

// The preferences window: the two remembered folders (where the source-folder panel and the add panel
// open), each with a way to forget it, and "Restore Defaults". Made once per run.
class PreferencesWindowController {
public:
    static std::unique_ptr<PreferencesWindowController> preferencesWindowController();
    ~PreferencesWindowController();

    QWidget* window() const { return m_window.get(); }
    // Centres the window on the primary screen.
    void center();
    void showWindow();
    // Shows the stored values again.
    void refresh();

private:
    PreferencesWindowController();
    void addFolderRow(class QGridLayout* grid, int row, const QString& title, const QString& key);

    std::unique_ptr<QWidget> m_window;
    QList<QPair<QString, QPointer<QLabel>>> m_folderLabels;
};
