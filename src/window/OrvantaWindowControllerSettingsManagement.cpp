// Displays and output mode: the window's side of the OutputController, which does the work. The window
// owns the popup that shows the display chooser (its current row is the chosen display) and the preview
// flag that the output mode sets.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "platform/ui/VideoView.h"
#include "playback/BorderlessWindow.h"

#include <QComboBox>

namespace {

int chosenRow(const QComboBox* popup) {
    return popup ? popup->currentIndex() : -1;
}

} // namespace

void OrvantaWindowController::setupSelectDisplayPopUp() {
    m_output->setupSelectDisplayPopUp();
    selectRememberedDisplay();
}

void OrvantaWindowController::selectRememberedDisplay() {
    if (QComboBox* popup = selectDisplayPopUp(); popup && m_datasource)
        popup->setCurrentIndex(m_output->displayChooser()->rowOf(m_datasource->selectedDisplay()));
}

void OrvantaWindowController::followRememberedDisplay() {
    // A display gone: the chooser falls back to the main display, where a shown output stays visible;
    // the playlist keeps its choice, and the output goes back once a display of that name is there.
    // Only the modes made of displays move; the preview and the custom frame stay as they are.
    selectRememberedDisplay();
    const qint32 mode = m_datasource ? m_datasource->settings()->fullScreenType() : 0;
    if (mode == 1 || mode == 2)
        applyOutputMode();
}

void OrvantaWindowController::handleFullscreenSelection() {
    applyOutputMode();
}

void OrvantaWindowController::applyOutputMode() {
    if (!m_datasource)
        return;
    const std::optional<bool> preview =
        m_output->applyOutputMode(*m_datasource->settings(), chosenRow(selectDisplayPopUp()));
    if (!preview)
        return;
    setIsPreviewPlayback(*preview);
    followOutputChoice();
}

void OrvantaWindowController::followOutputChoice() {
    // The preview chosen while the output shows: the picture stays in the preview, the output goes.
    if (isPreviewPlayback() && fullscreenWindow() && fullscreenWindow()->isVisible()) {
        m_output->dismissForPreview();
        if (isPlaying() && previewMovieView()) {
            window()->raise();
            window()->activateWindow();
            previewMovieView()->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    m_output->followFrame();
}

void OrvantaWindowController::handleDisplaySelection() {
    if (const QComboBox* popup = selectDisplayPopUp()) {
        if (m_datasource) {
            const auto chosen = m_output->displayChooser()->selectedDisplayAt(popup->currentIndex());
            if (chosen != m_datasource->selectedDisplay()) {
                m_datasource->setSelectedDisplay(chosen);
                m_datasource->updateChangeCount(Document::ChangeKind::Done);
            }
        }
        m_output->chooseDisplay(popup->currentIndex());
        m_output->followFrame();
    }
}

void OrvantaWindowController::handleCustomFrame() {
    if (!m_datasource)
        return;
    // Entering a value chooses the output window, whatever the mode.
    setIsPreviewPlayback(false);
    m_output->applyCustomFrame(*m_datasource->settings());
    m_output->followFrame();
}

QWidget* OrvantaWindowController::fullscreenWindow() const {
    return m_output->outputWindow();
}

void OrvantaWindowController::setupOutputWindow() {
    if (m_output->outputWindow())
        return;
    // The output view shows the preview's player with the same kind of video view.
    const bool openGL = previewMovieView() && qobject_cast<VideoView*>(previewMovieView()->videoView());
    m_output->makeOutputWindow(player(), openGL ? VideoOutput::Kind::OpenGL : VideoOutput::Kind::Software);
    ClickableMovieView* view = m_output->movieView();
    connect(view, &ClickableMovieView::playRequested, this, [this] { play(); });
    connect(view, &ClickableMovieView::pauseRequested, this, [this] { pause(); });
    connect(view, &ClickableMovieView::stopRequested, this, [this] { stop(); });
    // Closing the output window from the window manager stops, as Escape does.
    connect(m_output->outputWindow(), &BorderlessWindow::closeRequested, this, [this] { stop(); });
}
