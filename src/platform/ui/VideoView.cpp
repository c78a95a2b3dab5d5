#include "platform/ui/VideoView.h"

#include "platform/media/MpvPlayer.h"
#include "platform/ui/Letterbox.h"
#include "platform/ui/MpvGlRenderer.h"

#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QtDebug>

VideoView::VideoView(QWidget* parent)
    : QOpenGLWidget(parent) {}

VideoView::~VideoView() {
    if (m_blitter.isCreated()) {
        makeCurrent();
        m_blitter.destroy();
        doneCurrent();
    }
}

void VideoView::setPlayer(MpvPlayer* player) {
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (player) {
        connect(player, &MpvPlayer::shownHandleChanged, this, &VideoView::followShownHandle);
        // Attaching or letting go of a movie changes whether there is anything to show.
        connect(player, &MpvPlayer::movieChanged, this, qOverload<>(&VideoView::update));
    }
    followShownHandle();
}

void VideoView::followShownHandle() {
    disconnect(m_frameConnection);
    m_renderer =
        m_player ? qobject_cast<MpvGlRenderer*>(m_player->shownHandle().renderAttachment()) : nullptr;
    if (m_player && !m_renderer)
        qWarning("VideoView: the player's handle has no OpenGL renderer");
    if (m_renderer)
        m_frameConnection =
            connect(m_renderer, &MpvGlRenderer::frameRendered, this, qOverload<>(&VideoView::update));
    update();
}

void VideoView::initializeGL() {
    if (!QOpenGLContext::areSharing(context(), QOpenGLContext::globalShareContext()))
        qWarning("VideoView: the widget's OpenGL context is not shared; video will show black");
    m_blitter.create();
}

void VideoView::paintGL() {
    QOpenGLExtraFunctions* gl = context()->extraFunctions();
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    if (!m_player || !m_player->movie() || !m_renderer || !m_renderer->hasFrame() || !m_blitter.isCreated())
        return;
    if (GLsync fence = m_renderer->fence())
        gl->glWaitSync(fence, 0, GL_TIMEOUT_IGNORED);
    const QSize viewport = size() * devicePixelRatio();
    const QRect target = letterboxRect(m_renderer->textureSize(), viewport);
    if (target.isEmpty())
        return;
    m_blitter.bind();
    m_blitter.blit(m_renderer->texture(),
                   QOpenGLTextureBlitter::targetTransform(target, QRect(QPoint(), viewport)),
                   QOpenGLTextureBlitter::OriginTopLeft);
    m_blitter.release();
    emit picturePainted();
}
MpvPlayer* VideoView::player() const {
    return m_player.data();
}
