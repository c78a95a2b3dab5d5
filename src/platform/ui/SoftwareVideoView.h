#pragma once

#include <QPointer>
#include <QWidget>

class MpvPlayer;
class MpvSwRenderer;

// Shows the picture of a player whose handles render in software: the image of its shown handle,
// letterboxed with black. For machines without OpenGL.
class SoftwareVideoView : public QWidget {
    Q_OBJECT
public:
    explicit SoftwareVideoView(QWidget* parent = nullptr);

    // The player's handles must carry software renderers (VideoOutput::attach). Null shows black.
    void setPlayer(MpvPlayer* player);
    MpvPlayer* player() const;

signals:
    // A movie's picture was painted (not black); it reaches the screen when this paint is done.
    void picturePainted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void followShownHandle();

    QPointer<MpvPlayer> m_player;
    QPointer<MpvSwRenderer> m_renderer;
    QMetaObject::Connection m_frameConnection;
};
