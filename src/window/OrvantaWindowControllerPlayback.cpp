// The transport. The player and the output window are not attached yet: these operations keep their
// place in the start-up and in the import so that the transport can fill them in.
#include "window/OrvantaWindowController.h"

#include "platform/media/MovieTime.h"
#include "playback/TimeDisplay.h"

#include <QLabel>
#include <QSlider>

void OrvantaWindowController::play() {
    // Starting the current movie in the preview or the output window comes with the player.
}

void OrvantaWindowController::movieDidEnd(const QVariant&) {
    // Moving on to the next clip (or looping, stopping, closing) comes with the transport.
}

void OrvantaWindowController::installMovieIdleCallback() {
    // Position updates of the current movie come with the player.
}

void OrvantaWindowController::removeMovieIdleCallback() {
    // See installMovieIdleCallback.
}

void OrvantaWindowController::updateTimeRelatedViews() {
    // Without a player there is no position: the zero time and the start of the slider.
    if (!m_timeDisplay || !m_scrubSlider)
        return;
    const QString text = makeTimeDisplayFromQTTime(MovieTime::make(0, 0));
    m_timeDisplay->setText(text);
    m_scrubSlider->setValue(0);
    m_scrubSlider->setToolTip(text);
}

void OrvantaWindowController::setupFullscreenWindowFromSettings() {
    // Placing the output window for the output mode comes with the output window.
}
