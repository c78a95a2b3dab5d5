#include "platform/ui/SoftwareVideoView.h"

#include "platform/media/MpvPlayer.h"
#include "platform/ui/Letterbox.h"
#include "platform/ui/MpvSwRenderer.h"

#include <QPainter>
#include <QtDebug>

SoftwareVideoView::SoftwareVideoView(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SoftwareVideoView::setPlayer(MpvPlayer* player) {
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (player) {
        connect(player, &MpvPlayer::shownHandleChanged, this, &SoftwareVideoView::followShownHandle);
        // Attaching or letting go of a movie changes whether there is anything to show.
        connect(player, &MpvPlayer::movieChanged, this, qOverload<>(&SoftwareVideoView::update));
    }
    followShownHandle();
}

void SoftwareVideoView::followShownHandle() {
    disconnect(m_frameConnection);
    m_renderer =
        m_player ? qobject_cast<MpvSwRenderer*>(m_player->shownHandle().renderAttachment()) : nullptr;
    if (m_player && !m_renderer)
        qWarning("SoftwareVideoView: the player's handle has no software renderer");
    if (m_renderer)
        m_frameConnection =
            connect(m_renderer, &MpvSwRenderer::frameRendered, this, qOverload<>(&SoftwareVideoView::update));
    update();
}

void SoftwareVideoView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_player || !m_player->movie() || !m_renderer || !m_renderer->hasFrame())
        return;
    const QImage& image = m_renderer->image();
    const QRect target = letterboxRect(image.size(), size());
    if (target.isEmpty())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    emit picturePainted();
}
MpvPlayer* SoftwareVideoView::player() const {
    return m_player.data();
}
