// Removal of clips and the choice of a dynamic playlist's folder. Import runs are the ImportController's.
#include "window/OrvantaWindowController.h"

#include "document/OrvantaDocument.h"
#include "platform/Presenter.h"
#include "window/ClipsController.h"

void OrvantaWindowController::removeClips() {
    if (!m_datasource || m_datasource->isDynamicPlaylist() || !m_clipsController ||
        m_clipsController->selectedObjects().isEmpty()) {
        Presenter::shared().beep();
        return;
    }
    removeMovieIdleCallback();
    m_clipsController->remove();
    m_clipsController->rearrangeObjects();
}

void OrvantaWindowController::setSourceFolder() {
    // The playlist lets go of its clips for the new folder's.
    if (!m_import->chooseSourceFolder())
        return;
    removeMovieIdleCallback();
    addClipsWithURLs({m_datasource->dynamicSourceFolder()}, [this] { updateTimeRelatedViews(); });
}
