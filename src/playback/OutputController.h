#pragma once

#include "platform/ui/VideoOutput.h"
#include "playback/DisplayChooserModel.h"

#include <QObject>
#include <QRectF>
#include <memory>
#include <optional>

class BorderlessWindow;
class ClickableMovieView;
class DisplayIdentifierWindowController;
class MpvPlayer;
class PlaylistSettings;
class QScreen;
class QWidget;

// Where one playlist plays when it does not play in its preview: the output window with its movie
// view, the display chooser's list, the identification of a chosen display, the frame of each output
// mode (through OutputFrames), and the displays changing under it.
//
// The playlist window shows displayChooser() in its popup and passes the popup's current row, which
// stays the one record of the chosen display. The window keeps the transport and the preview flag:
// applyOutputMode answers the flag, the window stores it and passes it back when it stops.
//
// Main thread only. The output window is a top-level window of its own, made by makeOutputWindow and
// owned here; it shows the player given then and must go before that player (releaseOutputWindow).
class OutputController : public QObject {
    Q_OBJECT
public:
    OutputController();
    ~OutputController() override;

    // --- The display chooser
    DisplayChooserModel* displayChooser() { return &m_displayChooser; }
    // Lists the displays there are now; the popup shows the first item afterwards.
    void setupSelectDisplayPopUp();
    // The display the chooser's row stands for; null for the separator or a display that has gone.
    QScreen* representedScreen(int row) const { return m_displayChooser.representedScreen(row); }
    // From now on every "displayChangeNotice" lists the displays again and then emits displaysChanged,
    // so that the window chooses its remembered display again; makes sure the application posts one for
    // each change of its screens.
    void followDisplayChanges();
    // Connects the application's screen changes to "displayChangeNotice", once per application.
    static void registerDisplayReconfigurationCallBack();

    // --- The output window
    // Makes the output window with a movie view of the player (none: an empty black window).
    void makeOutputWindow(MpvPlayer* player, VideoOutput::Kind kind);
    // Hides and deletes the output window and its view; the player may go afterwards.
    void releaseOutputWindow();
    BorderlessWindow* outputWindow() const { return m_outputWindow.get(); }
    ClickableMovieView* movieView() const { return m_movieView; }

    // --- Output modes
    // Applies the settings' output mode; the selected display is the one of the chooser's row. Answers
    // whether the playlist plays in its preview; nothing, and no change at all, for a mode out of range.
    std::optional<bool> applyOutputMode(const PlaylistSettings& settings, int chooserRow);
    // Moves the output window to the settings' custom frame, whatever the mode.
    void applyCustomFrame(const PlaylistSettings& settings);
    // Moves the output window to the display of the chooser's row, whatever the mode, and identifies
    // that display on it.
    void chooseDisplay(int chooserRow);
    // Made on the first display choice, kept while the controller lives.
    DisplayIdentifierWindowController* displayIdentifierController() const {
        return m_displayIdentifierController.get();
    }
    // Emptied by the preview mode; kept for what the window reports, read by nothing here.
    QRectF fullscreenFrame() const { return m_fullscreenFrame; }
    void setFullscreenFrame(const QRectF& frame) { m_fullscreenFrame = frame; }

    // --- Playing
    // Output playback starts or goes on: the playlist window goes behind; the output view takes the keys
    // and the window comes to the front, active, above the desktop's panels when it encloses the main
    // display; the cursor hides over it until the mouse moves.
    void presentForPlayback(QWidget* playlistWindow);
    // Preview playback starts: an output window still shown goes away.
    void dismissForPreview();
    // The display, mode or frame changed: an output window on the screen moves to its new frame at once
    // (fullscreen where that is the rule there); a hidden one stays hidden.
    void followFrame();
    // Playback stopped: the output window goes away unless the preview played, and in both cases the
    // panels come back over it.
    void dismissAfterStop(bool previewPlayback);
    // The application became active during output playback: the output window back in front of the
    // playlist window, above the panels as it was.
    void bringToFront(QWidget* playlistWindow);

signals:
    // The chooser lists the displays there are after a change of them.
    void displaysChanged();

private:
    bool goesAbovePanels() const;
    DisplayChooserModel m_displayChooser;
    std::unique_ptr<BorderlessWindow> m_outputWindow;
    ClickableMovieView* m_movieView = nullptr; // owned by the output window
    std::unique_ptr<DisplayIdentifierWindowController> m_displayIdentifierController;
    QRectF m_fullscreenFrame;
    bool m_followingDisplays = false;
};
