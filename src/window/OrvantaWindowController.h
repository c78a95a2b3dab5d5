#pragma once

#include "document/ClipImporter.h"
#include "document/ClipRecord.h"
#include "platform/documents/WindowController.h"
#include "platform/media/MovieTime.h"
#include "platform/notifications/NotificationCenter.h"
#include "playback/ClickableMovieView.h"
#include "playback/OutputController.h"
#include "playback/PlaylistPlayback.h"

#include <QList>
#include <QMainWindow>
#include <QMetaObject>
#include <QPointer>
#include <QRectF>
#include <QStringList>
#include <QUrl>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class BorderlessWindow;
class ClipsController;
class DisplayIdentifierWindowController;
class Movie;
class MpvPlayer;
class OpenAccessoryViewController;
class OrvantaDocument;
class DocumentController;
class PlaylistWindow;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMimeData;
class QProgressBar;
class QScreen;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTabBar;
class QTableView;
class QToolBar;
class TypedNumber;

// The window controller of one playlist: the clip table, the information and settings panes, the
// preview and transport area, the toolbar and the playlist menu, and everything that belongs to the
// window rather than to the saved playlist (the transport state, the state of a running import, the
// accessory of the folder panels).
//
// Its work is split by concern over several source files:
//   OrvantaWindowController.cpp                    start-up, title, validation, change tracking, tear-down
//   OrvantaWindowControllerInterface.cpp           the window's widgets and how they edit the settings
//   OrvantaWindowControllerClipsManagement.cpp     import and removal of clips
//   OrvantaWindowControllerTableDelegate.cpp       the movie-file test and the table's selection
//   OrvantaWindowControllerDragAndDrop.cpp         the table's drag and drop
//   OrvantaWindowControllerSettingsManagement.cpp  calls into OutputController: displays, output
//   OrvantaWindowControllerPlayback.cpp            the transport's controls and views over PlaylistPlayback
//
// The window is loaded on first use (window() or showWindow()): its widgets are built, then
// awakeFromNib and windowDidLoad run, once each. Every connection and subscription the controller makes
// to objects that outlive it (the document and its settings, the application, the notification hub)
// is withdrawn when it goes away. Main thread only.
class OrvantaWindowController : public WindowController {
    Q_OBJECT
public:
    // What the application puts on each playlist window (its menus), given the window and its document.
    using MenuInstaller = std::function<void(QMainWindow* window, Document* document)>;
    // The controller of a playlist window of the document controller's; closeOthersAtStartup reaches
    // the other documents through it.
    static std::unique_ptr<OrvantaWindowController> orvantaWindowController(DocumentController* controller,
                                                                            MenuInstaller installMenus = {});
    ~OrvantaWindowController() override;

    // --- The window and its start-up
    QMainWindow* window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    void awakeFromNib();
    void windowDidLoad();
    QString windowTitleForDocumentDisplayName(const QString& displayName) const override;
    void showWindow() override;
    void closeWindow() override;
    void synchronizeWindowTitleWithDocumentName() override;
    // The user closed the window: the document decides (it may save silently or ask).
    bool windowShouldClose();
    // The application became active (or was unhidden).
    void orvantanDidBecomeActive();
    // Menu items by their action (the QAction's object name), toolbar items by their tag (its data).
    bool validateMenuItem(const QAction* item) const;
    bool validateToolbarItem(const QAction* item) const;
    // Enables the playlist menu and the toolbar as the two validations answer.
    void validateUserInterfaceItems();
    void switchSettingsPane(int tag);
    void startAutoChangeObservation();
    // Every observed change adds one change to the document; the key path is not looked at.
    void observeValueForKeyPath(const QString& keyPath);

    // --- Properties
    const QList<ClipRecordPtr>& importedClips() const { return m_importedClips; }
    const QStringList& DRMClips() const { return m_DRMClips; }
    OrvantaDocument* datasource() const { return m_datasource; }
    void setDatasource(OrvantaDocument* document) { m_datasource = document; }
    std::shared_ptr<Movie> currentMovie() const { return m_playback->currentMovie(); }
    OpenAccessoryViewController* openAccessoryViewController() const {
        return m_openAccessoryViewController.get();
    }
    bool isPlaying() const { return m_playback->isPlaying(); }
    bool isPreviewPlayback() const { return m_playback->where() == PlaylistPlayback::Where::Preview; }
    void setIsPreviewPlayback(bool value) {
        m_playback->setWhere(value ? PlaylistPlayback::Where::Preview : PlaylistPlayback::Where::Output);
    }
    QRectF fullscreenFrame() const { return m_output->fullscreenFrame(); }
    void setFullscreenFrame(const QRectF& frame) { m_output->setFullscreenFrame(frame); }
    bool dragIsActive() const { return m_dragIsActive; }
    void setDragIsActive(bool value) { m_dragIsActive = value; }
    qint32 dropLocation() const { return m_dropLocation; }
    void setDropLocation(qint32 row) { m_dropLocation = row; }
    bool fileErrorOnImport() const { return m_fileErrorOnImport; }
    // The MIME types of movies the add panel offers.
    const QStringList& allowedTypes() const { return m_allowedTypes; }

    // --- Outlets (valid while the window is loaded)
    QProgressBar* importSpinner() const { return m_importSpinner; }
    QLabel* importProgressText() const { return m_importProgressText; }
    ClipsController* clipsController() const { return m_clipsController.get(); }
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

    // --- Clip import and removal
    void addNewClips();
    // One import run: walks and probes the items, places the new clips, reports protected files and
    // folders that could not be read. Synchronous; the window stays painted while it runs.
    void addClipsWithURLs(const QList<QUrl>& urls);
    // One item of a run, a folder when flag is true; its clips join importedClips.
    void addClipsWithURL(const QUrl& url, bool flag);
    void addOneClipWithURL(const QUrl& url);
    void finalizeClipsImport();
    void removeClips();
    void setSourceFolder();
    static bool hasDRM(const Movie& movie);
    // Whether an import run is under way (the window ignores user input meanwhile).
    bool isImporting() const { return m_isImporting; }
    // Stops the running import soon, and every later one at once: nothing of them reaches the playlist,
    // which stays as it was. For the end of the program.
    void cancelImport() { m_importCancelled = true; }

    // --- Table
    static bool isMovieURL(const QUrl& url);
    void tableViewSelectionDidChange();
    // Row actions offered for a row at an edge: "Delete" at the trailing edge of a standard playlist,
    // which slides the row away over one second and then removes its clip.
    enum RowEdge { LeadingEdge = 0, TrailingEdge = 1 };
    struct RowAction {
        QString title;
        bool destructive = false;
        std::function<void(int row)> handler;
    };
    QList<RowAction> tableViewRowActionsForRow(int row, int edge);

    // --- Displays and output mode (the work is the OutputController's)
    OutputController* output() const { return m_output.get(); }
    void setupSelectDisplayPopUp();
    void handleFullscreenSelection();
    // The chooser's action: the output window moves to the chosen display, which identifies itself.
    void handleDisplaySelection();
    // The custom frame fields' action: the output window moves to the custom frame.
    void handleCustomFrame();
    // The display the chooser's item stands for; null for a separator or a display that has gone.
    QScreen* representedScreen(int index) const { return m_output->representedScreen(index); }
    // Made on the first display choice, kept while the controller lives.
    DisplayIdentifierWindowController* displayIdentifierController() const {
        return m_output->displayIdentifierController();
    }

    // --- Transport (the work is PlaylistPlayback's; the window adds its controls and windows)
    PlaylistPlayback* playback() const { return m_playback.get(); }
    void play();
    void pause();
    void stop();
    // Moves the current movie to the fraction of its duration (see scrubTime).
    void scrub(float fraction);
    // The time a scrub to the fraction reaches (Sequencing::scrubTime).
    static MovieTime scrubTime(const MovieTime& duration, float fraction);
    // The volume and speed controls; both keep the playlist's setting in step.
    void setVolume(float volume);
    void setSpeed(float rate);
    void resetSpeed();
    void setupPlayButton();
    void setupPauseButton();
    // The end of a movie; only the end of this window's current movie moves it on.
    void movieDidEnd(const std::shared_ptr<Movie>& movie);
    void installMovieIdleCallback();
    void removeMovieIdleCallback();
    void updateTimeRelatedViews();
    void setupFullscreenWindowFromSettings();
    // The player of the preview; null when none could be made (the reason is in playerError()).
    MpvPlayer* player() const { return m_playback->player(); }
    const QString& playerError() const { return m_playerError; }

    // The output window, made with the playlist window.
    QWidget* fullscreenWindow() const;
    BorderlessWindow* outputWindow() const { return m_output->outputWindow(); }
    // The output window's movie view: a second view of the preview's player.
    ClickableMovieView* fullscreenMovieView() const { return m_output->movieView(); }

    // --- Drag and drop of the table's rows (OrvantaWindowControllerDragAndDrop.cpp), carried out by the
    // table's model. awakeFromNib sets the model up: the operation masks of drags, the types the table
    // takes, and how a drop reaches the import.
    void setupClipsDragAndDrop();
    int draggingSourceOperationMaskForLocal(bool local) const;
    QStringList registeredDraggedTypes() const;
    // What a drag of the rows carries (see ClipPasteboard); nothing when no row is in range.
    std::unique_ptr<QMimeData> tableViewWriteRowsWithIndexes(const QList<int>& rows) const;
    // The operation (a DropPlan::DragOperation) a drop before the proposed row would be, from a drag
    // whose source is the given object (null for other programs); sets the table's drop row.
    int tableViewValidateDrop(const QObject* source, int proposedRow, Qt::KeyboardModifiers modifiers);
    // Takes a drop before the row: moves or copies this table's rows, or imports the clips of another
    // playlist window or the movie files of other programs. False when the drop is refused.
    bool tableViewAcceptDrop(const QMimeData* data, const QObject* source, int row,
                             Qt::KeyboardModifiers modifiers);
    // Moves the clips at the rows before the target row; answers their new rows.
    QList<int> moveObjectsInArrangedObjectsFromIndexes(const QList<int>& rows, int toIndex);
    // The movie that movieDidEnd moves on to from the current one (see PlaylistPlayback).
    std::shared_ptr<Movie> movieThatComesNext() const { return m_playback->movieThatComesNext(); }

private:
    OrvantaWindowController(DocumentController* controller, MenuInstaller installMenus);

    // OrvantaWindowControllerInterface.cpp
    void loadWindow();
    QWidget* makeClipsPane();
    QWidget* makePreviewPane();
    QWidget* makeSettingsPane();
    QWidget* makePlaybackSettingsPage();
    QWidget* makeOutputSettingsPage();
    QWidget* makeInformationPane();
    void makeToolbarAndMenu();
    void refreshSettingsControls(const QString& key);
    void refreshInformationPane();
    void refreshTotalTime();
    void writeSetting(const QString& key, const TypedNumber& value);
    void showImportProgress(int done, int total);

    // OrvantaWindowControllerClipsManagement.cpp
    bool descendsIntoSubdirectories() const;
    ClipImporter::Result runImporter(const QList<QUrl>& urls);
    void takeImportResult(ClipImporter::Result result);
    OpenAccessoryViewController& accessoryController();

    // The output mode's frame and isPreviewPlayback, as handleFullscreenSelection and
    // setupFullscreenWindowFromSettings both apply them.
    void applyOutputMode();
    // Makes the output window with its movie view; called by setupPlayer.
    void setupOutputWindow();
    void tearDown();

    // OrvantaWindowControllerPlayback.cpp
    // The playback over this window's clip list; made with the controller.
    void makePlayback();
    // Makes the player and puts its view into the preview; called once while the window is built.
    void setupPlayer();
    void tearDownPlayback();

    DocumentController* m_documentController;
    MenuInstaller m_installMenus;
    OrvantaDocument* m_datasource = nullptr;

    // Properties
    QList<ClipRecordPtr> m_importedClips;
    QStringList m_DRMClips;
    std::unique_ptr<OpenAccessoryViewController> m_openAccessoryViewController;
    bool m_dragIsActive = false;
    qint32 m_dropLocation = 0;
    bool m_fileErrorOnImport = false;
    QStringList m_allowedTypes;

    bool m_isImporting = false;
    std::atomic<bool> m_importCancelled{false};
    bool m_observingChanges = false;

    // Subscriptions to objects that outlive the controller; all withdrawn in tearDown().
    std::vector<QMetaObject::Connection> m_connections;
    std::vector<NotificationCenter::Token> m_notificationTokens;

    // The output window, the display chooser's list and the output modes. The output window goes
    // before the player it shows (tearDownPlayback).
    std::unique_ptr<OutputController> m_output = std::make_unique<OutputController>();
    // The transport and the player it owns; made with the controller, its player with the window.
    std::unique_ptr<PlaylistPlayback> m_playback;
    QString m_playerError;
    QMetaObject::Connection m_idleConnection;
    QMetaObject::Connection m_playButtonConnection;
    std::unique_ptr<ClipsController> m_clipsController;
    // The window owns every widget below; they live exactly as long as m_window.
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
