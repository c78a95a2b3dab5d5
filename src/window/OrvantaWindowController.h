#pragma once

#include "document/ClipRecord.h"
#include "platform/documents/WindowController.h"
#include "platform/media/MovieTime.h"
#include "platform/notifications/NotificationCenter.h"
#include "playback/ClickableMovieView.h"
#include "playback/OutputController.h"
#include "playback/PlaylistPlayback.h"
#include "window/ImportController.h"
#include "window/PlaylistExchangeActions.h"
#include "window/PlaylistWindowView.h"

#include <QList>
#include <QMainWindow>
#include <QMetaObject>
#include <QPointer>
#include <QRectF>
#include <QStringList>
#include <QUrl>
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
class QAction;
class QMimeData;
class QScreen;
class TypedNumber;

// The window controller of one playlist: the clip table, the information and settings panes, the
// preview and transport area, the toolbar and the playlist menu, and everything that belongs to the
// window rather than to the saved playlist (the transport state, the state of a running import, the
// accessory of the folder panels).
//
// It coordinates; the work is its parts': the window's widgets are a PlaylistWindowView's, import runs an
// ImportController's, the transport a PlaylistPlayback's, the output window an OutputController's and
// drag and drop the clip table model's. Its own work is split over several source files:
//   OrvantaWindowController.cpp                    start-up, title, validation, tear-down
// The Edit menu (undo, the clipboard) is a PlaylistEditMenu of the view's.
//   OrvantaWindowControllerClipsManagement.cpp     removal of clips, the dynamic playlist's folder
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
    bool isWindowLoaded() const { return m_view != nullptr; }
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

    // --- Properties
    const QList<ClipRecordPtr>& importedClips() const { return m_import->importedClips(); }
    const QStringList& DRMClips() const { return m_import->DRMClips(); }
    OrvantaDocument* datasource() const { return m_datasource; }
    void setDatasource(OrvantaDocument* document) { m_datasource = document; }
    std::shared_ptr<Movie> currentMovie() const { return m_playback->currentMovie(); }
    OpenAccessoryViewController* openAccessoryViewController() const {
        return m_import->openAccessoryViewController();
    }
    bool isPlaying() const { return m_playback->isPlaying(); }
    bool isPreviewPlayback() const { return m_playback->where() == PlaylistPlayback::Where::Preview; }
    void setIsPreviewPlayback(bool value) {
        m_playback->setWhere(value ? PlaylistPlayback::Where::Preview : PlaylistPlayback::Where::Output);
    }
    QRectF fullscreenFrame() const { return m_output->fullscreenFrame(); }
    void setFullscreenFrame(const QRectF& frame) { m_output->setFullscreenFrame(frame); }
    bool dragIsActive() const { return m_import->dragIsActive(); }
    void setDragIsActive(bool value) { m_import->setDragIsActive(value); }
    qint32 dropLocation() const { return m_import->dropLocation(); }
    void setDropLocation(qint32 row) { m_import->setDropLocation(row); }
    bool fileErrorOnImport() const { return m_import->fileErrorOnImport(); }
    // The MIME types of movies the add panel offers.
    const QStringList& allowedTypes() const { return m_import->allowedTypes(); }

    // --- Outlets: the view's widgets while the window is loaded, null before
    QProgressBar* importSpinner() const { return m_view ? m_view->importSpinner() : nullptr; }
    QLabel* importProgressText() const { return m_view ? m_view->importProgressText() : nullptr; }
    QAbstractButton* importCancelButton() const { return m_view ? m_view->importCancelButton() : nullptr; }
    ClipsController* clipsController() const { return m_clipsController.get(); }
    QTableView* clipsTable() const { return m_view ? m_view->clipsTable() : nullptr; }
    ClickableMovieView* previewMovieView() const { return m_view ? m_view->previewMovieView() : nullptr; }
    QAbstractButton* playButton() const { return m_view ? m_view->playButton() : nullptr; }
    QSlider* scrubSlider() const { return m_view ? m_view->scrubSlider() : nullptr; }
    QLabel* timeDisplay() const { return m_view ? m_view->timeDisplay() : nullptr; }
    QComboBox* selectDisplayPopUp() const { return m_view ? m_view->selectDisplayPopUp() : nullptr; }
    QButtonGroup* fullscreenModeSelector() const {
        return m_view ? m_view->fullscreenModeSelector() : nullptr;
    }
    QStackedWidget* infoTab() const { return m_view ? m_view->infoTab() : nullptr; }
    QTabBar* settingsSelector() const { return m_view ? m_view->settingsSelector() : nullptr; }
    QStackedWidget* settingsTab() const { return m_view ? m_view->settingsTab() : nullptr; }
    QToolBar* toolbar() const { return m_view ? m_view->toolbar() : nullptr; }
    QLabel* totalTimeText() const { return m_view ? m_view->totalTimeText() : nullptr; }

    // --- Clip import and removal (the runs are the ImportController's)
    void addNewClips() { m_import->addNewClips(); }
    // One import run: walks and probes the items in the background, then places the new clips and
    // reports protected files and folders that could not be read; then whenDone, if the window is still
    // there. Returns at once (see ImportController).
    void addClipsWithURLs(const QList<QUrl>& urls, std::function<void()> whenDone = {},
                          ClipsAction action = ClipsAction::Add) {
        m_import->addClipsWithURLs(urls, std::move(whenDone), action);
    }
    void finalizeClipsImport() { m_import->finalizeClipsImport(); }
    void removeClips();
    void setSourceFolder();
    // Whether an import run is under way (no second run, drop or source folder is taken meanwhile).
    bool isImporting() const { return m_import->isImporting(); }
    // Other players' lists and moved files: PlaylistExchangeActions.
    void importPlaylist() { PlaylistExchangeActions::importPlaylist(*this); }
    void exportPlaylist() { PlaylistExchangeActions::exportPlaylist(*this); }
    void locateMissingFiles() { PlaylistExchangeActions::locateMissingFiles(*this); }
    // Stops the running import soon, and every later one at once: nothing of them reaches the playlist,
    // which stays as it was. For the end of the program.
    void cancelImport() { m_import->cancelForGood(); }

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
    // The chooser's action: the output window moves to the chosen display, which identifies itself; the
    // playlist remembers it (an edit).
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
    // The "Loop" setting (the settings pane's box and remote control both set it here).
    void setLooping(bool looping);
    // A step forward or back (remote control, media keys): selects the row that comes after or before
    // the selection as the sequencing chooses it; while playing, its clip plays. False when none does.
    bool selectNextClip();
    bool selectPreviousClip();
    // Whether a step would find a row (missing files are not tried again for this).
    bool canSelectNextClip() { return m_playback->rowAfterSelection(false) >= 0; }
    bool canSelectPreviousClip() { return m_playback->rowBeforeSelection(false) >= 0; }
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

    // Builds the window's widgets (the view) and connects them to the playback and the playlist.
    void loadWindow();
    PlaylistWindow* loadedWindow() const { return m_view ? m_view->window() : nullptr; }
    // windowDidLoad's steps: the other playlists close (closeOthersAtStartup); the alert lists the
    // playlist's files that could not be found.
    void closeOtherPlaylists();
    // The rest of windowDidLoad, once a dynamic playlist's clips are in.
    void windowDidLoadClips();
    void alertMissingItems();
    void writeSetting(const QString& key, const TypedNumber& value);

    // The output mode's frame and isPreviewPlayback, as handleFullscreenSelection and
    // setupFullscreenWindowFromSettings both apply them.
    void applyOutputMode();
    // After a change of display, mode or frame: the output window shown follows it at once.
    void followOutputChoice();
    // The chooser shows the display the playlist remembers where it is there, else the main display;
    // after a change of the displays or of the remembered one, the output window follows.
    void selectRememberedDisplay();
    void followRememberedDisplay();
    // Makes the output window with its movie view; called by setupPlayer.
    void setupOutputWindow();
    // An autoplaying playlist's window waits behind its show's first picture; see showWindow.
    bool showWindowAfterFirstPicture();
    void showWaitingWindow();
    void stopWaitingForFirstPicture();
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

    // The import runs, their panels and the state of the running one.
    std::unique_ptr<ImportController> m_import = std::make_unique<ImportController>(*this);

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
    // While the window waits for the output's first picture (showWindowAfterFirstPicture).
    bool m_windowWaitsForPicture = false;
    std::vector<QMetaObject::Connection> m_firstPictureConnections;
    std::unique_ptr<ClipsController> m_clipsController;
    // The window and its widgets; made on first use of the window, gone at tear-down.
    std::unique_ptr<PlaylistWindowView> m_view;
};
