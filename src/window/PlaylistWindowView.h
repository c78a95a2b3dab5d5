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
class PlaylistWindow;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMainWindow;
class QProgressBar;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTabBar;
class QTableView;
class QToolBar;
class QWidget;
class TypedNumber;

// The widgets of one playlist window: the clip table with the playlist's information below it, the
// preview with the transport, the playback and output settings, the toolbar, the playlist menu and the
// import progress in the status bar. The view builds them, holds them for the window controller (its
// outlets), shows the playlist's settings, information and total time in them, and writes the settings
// its check boxes edit. Controls that act (toolbar and menu items, stop, speed, volume, the output mode,
// the display chooser, the custom frame) call the window controller's operations.
//
// The window owns every widget; they live exactly as long as the view. Main thread only.
class PlaylistWindowView : public QObject {
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
    const QList<QAction*>& menuActions() const { return m_menuActions; }
    const QList<QAction*>& toolbarActions() const { return m_toolbarActions; }
    QProgressBar* importSpinner() const { return m_importSpinner; }
    QLabel* importProgressText() const { return m_importProgressText; }
    QTableView* clipsTable() const { return m_clipsTable; }
    ClickableMovieView* previewMovieView() const { return m_previewMovieView; }
    QAbstractButton* playButton() const { return m_playButton; }
    QSlider* scrubSlider() const { return m_scrubSlider; }
    QLabel* timeDisplay() const { return m_timeDisplay; }
    QComboBox* selectDisplayPopUp() const { return m_selectDisplayPopUp; }
    QButtonGroup* fullscreenModeSelector() const { return m_fullscreenModeSelector; }
    QStackedWidget* infoTab() const { return m_infoTab; }
    QTabBar* settingsSelector() const { return m_settingsSelector; }
    QStackedWidget* settingsTab() const { return m_settingsTab; }
    QToolBar* toolbar() const { return m_toolbar; }
    QLabel* totalTimeText() const { return m_totalTimeText; }

private:
    void makeToolbarAndMenu();
    QWidget* makeClipsPane();
    QWidget* makeInformationPane();
    QWidget* makePreviewPane();
    QWidget* makeSettingsPane();
    QWidget* makePlaybackSettingsPage();
    QWidget* makeOutputSettingsPage();
    void makeStatusBar();
    void refreshSettingsControls(const QString& key);
    void refreshInformationPane();
    void writeSetting(const QString& key, const TypedNumber& value);

    OrvantaDocument* document() const;

    OrvantaWindowController& m_controller;
    ClipsController& m_clips;
    std::vector<QMetaObject::Connection> m_connections;

    std::unique_ptr<PlaylistWindow> m_window;
    QProgressBar* m_importSpinner = nullptr;
    QLabel* m_importProgressText = nullptr;
    QTableView* m_clipsTable = nullptr;
    ClickableMovieView* m_previewMovieView = nullptr;
    QAbstractButton* m_playButton = nullptr;
    QSlider* m_scrubSlider = nullptr;
    QLabel* m_timeDisplay = nullptr;
    QComboBox* m_selectDisplayPopUp = nullptr;
    QButtonGroup* m_fullscreenModeSelector = nullptr;
    QStackedWidget* m_infoTab = nullptr;
    QTabBar* m_settingsSelector = nullptr;
    QStackedWidget* m_settingsTab = nullptr;
    QToolBar* m_toolbar = nullptr;
    QLabel* m_totalTimeText = nullptr;
    QLabel* m_sourceFolderText = nullptr;
    QLabel* m_subdirectoriesText = nullptr;
    QLabel* m_clipCountText = nullptr;
    QList<QAction*> m_menuActions;
    QList<QAction*> m_toolbarActions;
    QCheckBox* m_autoplayBox = nullptr;
    QCheckBox* m_closeOthersBox = nullptr;
    QCheckBox* m_closeWhenFinishedBox = nullptr;
    QCheckBox* m_loopBox = nullptr;
    QCheckBox* m_muteBox = nullptr;
    QSlider* m_speedSlider = nullptr;
    QLabel* m_speedText = nullptr;
    QSlider* m_volumeSlider = nullptr;
    QSpinBox* m_customFrameX = nullptr;
    QSpinBox* m_customFrameY = nullptr;
    QSpinBox* m_customFrameWidth = nullptr;
    QSpinBox* m_customFrameHeight = nullptr;
    QWidget* m_customFrameFields = nullptr;
};
