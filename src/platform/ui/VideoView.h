#pragma once

#include <QOpenGLTextureBlitter>
#include <QOpenGLWidget>
#include <QPointer>

class MpvGlRenderer;
class MpvPlayer;

// Shows the picture of a player: the texture of its shown handle, letterboxed with black, in a widget
// whose context shares with every other view, so several views show the same frame. It follows the
// player's switches between its handles. Shows black without a movie or a rendered frame.
class VideoView : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit VideoView(QWidget* parent = nullptr);
    ~VideoView() override;

    // The player's handles must carry OpenGL renderers (VideoOutput::attach). Null shows black.
    void setPlayer(MpvPlayer* player);
    MpvPlayer* player() const;

signals:
    // A movie's picture was painted (not black); it reaches the screen when this paint is done.
    void picturePainted();

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void followShownHandle();

    QPointer<MpvPlayer> m_player;
    QPointer<MpvGlRenderer> m_renderer;
    QMetaObject::Connection m_frameConnection;
    QOpenGLTextureBlitter m_blitter;
};
