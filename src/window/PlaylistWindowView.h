#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class ClickableMovieView;
class ClipsController;
class OrvantaDocument;
class OrvantaWindowController;
class PlaylistEditMenu;
class PlaylistSettingsPane;
class PlaylistWindow;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QMainWindow;
class QProgressBar;
class QSlider;
class QStackedWidget;
class QTabBar;
class QTableView;
class QToolBar;
class QWidget;

// The widgets of one playlist window: the clip table with the playlist's information below it, the
// preview with the transport, the settings (a PlaylistSettingsPane), the toolbar, the Edit menu
// (PlaylistEditMenu), the playlist menu and the import progress in the status bar. The view builds them,
// holds them for the window controller (its outlets) and keeps the settings, the information and the total
// time shown in step with the playlist. Controls that act (toolbar and menu items, stop, and the settings
// pane's) call the window controller's operations.
//
// The window owns every widget; they live exactly as long as the view. Main thread only.
class PlaylistWindowView : public QObject {
    Q_OBJECT
public:
    // Builds the window over the controller's clips controller (made first), the application's menus
    // (installMenus) before the playlist menu.
    PlaylistWindowView(OrvantaWindowController& controller,
                       const std::function<void(QMainWindow*)>& installMenus);
    ~PlaylistWindowView() override;

    // Shows the playlist in the controls, the information pane and the total time, and keeps them in
    // step with the document, its settings and the arranged clips until detach().
    void showPlaylist();
    // Withdraws every connection to the document, its settings and the clips controller.
    void detach();
    void refreshTotalTime();
    void showSettingsPane(int tag);

    PlaylistWindow* window() const { return m_window.get(); }
    PlaylistEditMenu* editMenu() const { return m_editMenu; }
    const QList<QAction*>& menuActions() const { return m_menuActions; }
    const QList<QAction*>& toolbarActions() const { return m_toolbarActions; }
    QProgressBar* importSpinner() const { return m_importSpinner; }
    QLabel* importProgressText() const { return m_importProgressText; }
    // Shown with the progress of an import; Escape presses it.
    QAbstractButton* importCancelButton() const { return m_importCancelButton; }
    QTableView* clipsTable() const { return m_clipsTable; }
    ClickableMovieView* previewMovieView() const { return m_previewMovieView; }
    QAbstractButton* playButton() const { return m_playButton; }
    QSlider* scrubSlider() const { return m_scrubSlider; }
    QLabel* timeDisplay() const { return m_timeDisplay; }
    QComboBox* selectDisplayPopUp() const;
    QButtonGroup* fullscreenModeSelector() const;
    QStackedWidget* infoTab() const { return m_infoTab; }
    QTabBar* settingsSelector() const;
    QStackedWidget* settingsTab() const;
    QToolBar* toolbar() const { return m_toolbar; }
    QLabel* totalTimeText() const { return m_totalTimeText; }

private:
    void makeToolbarAndMenu();
    QWidget* makeClipsPane();
    QWidget* makeInformationPane();
    QWidget* makePreviewPane();
    void makeStatusBar();
    void refreshInformationPane();

    OrvantaDocument* document() const;

    OrvantaWindowController& m_controller;
    ClipsController& m_clips;
    std::vector<QMetaObject::Connection> m_connections;

    std::unique_ptr<PlaylistWindow> m_window;
    QProgressBar* m_importSpinner = nullptr;
    QLabel* m_importProgressText = nullptr;
    QAbstractButton* m_importCancelButton = nullptr;
    QTableView* m_clipsTable = nullptr;
    ClickableMovieView* m_previewMovieView = nullptr;
    QAbstractButton* m_playButton = nullptr;
    QSlider* m_scrubSlider = nullptr;
    QLabel* m_timeDisplay = nullptr;
    PlaylistSettingsPane* m_settingsPane = nullptr;
    PlaylistEditMenu* m_editMenu = nullptr; // the window's child
    QStackedWidget* m_infoTab = nullptr;
    QToolBar* m_toolbar = nullptr;
    QLabel* m_totalTimeText = nullptr;
    QLabel* m_sourceFolderText = nullptr;
    QLabel* m_subdirectoriesText = nullptr;
    QLabel* m_clipCountText = nullptr;
    QList<QAction*> m_menuActions;
    QList<QAction*> m_toolbarActions;
};
