#include "platform/ui/VideoOutput.h"

#include "platform/media/MpvPlayer.h"
#include "platform/ui/MpvGlRenderer.h"
#include "platform/ui/MpvSwRenderer.h"
#include "platform/ui/SoftwareVideoView.h"
#include "platform/ui/VideoView.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>

VideoOutput::Kind VideoOutput::detect() {
    // Platforms without OpenGL widgets (offscreen, minimal) take the software views even where a GL
    // context can be made, as under -platform offscreen with an X display at hand.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return Kind::Software;
    QOpenGLContext* shared = QOpenGLContext::globalShareContext();
    if (!shared)
        return Kind::Software;
    QOffscreenSurface surface;
    surface.setFormat(shared->format());
    surface.create();
    QOpenGLContext trial;
    trial.setFormat(shared->format());
    trial.setShareContext(shared);
    if (!trial.create() || !trial.makeCurrent(&surface))
        return Kind::Software;
    trial.doneCurrent();
    return Kind::OpenGL;
}

VideoOutput::AttachResult VideoOutput::attach(MpvPlayer& player, Kind kind) {
    for (int i = 0; i < MpvPlayer::HandleCount; ++i) {
        MpvHandle& handle = player.handle(i);
        if (!handle.usesRenderApi())
            return {QStringLiteral("the player was made without the render API")};
        if (kind == Kind::OpenGL) {
            MpvGlRenderer::CreateResult created = MpvGlRenderer::create(handle);
            if (!created)
                return {created.error};
            handle.setRenderAttachment(std::move(created.renderer));
        } else {
            MpvSwRenderer::CreateResult created = MpvSwRenderer::create(handle);
            if (!created)
                return {created.error};
            handle.setRenderAttachment(std::move(created.renderer));
        }
    }
    return {};
}

QMetaObject::Connection VideoOutput::whenPicturePainted(QWidget* view, QObject* context,
                                                        std::function<void()> action) {
    if (auto* glView = qobject_cast<VideoView*>(view))
        return QObject::connect(glView, &VideoView::picturePainted, context, std::move(action),
                                Qt::QueuedConnection);
    if (auto* softwareView = qobject_cast<SoftwareVideoView*>(view))
        return QObject::connect(softwareView, &SoftwareVideoView::picturePainted, context, std::move(action),
                                Qt::QueuedConnection);
    return {};
}

QWidget* VideoOutput::createView(MpvPlayer* player, Kind kind, QWidget* parent) {
    if (kind == Kind::OpenGL) {
        auto* view = new VideoView(parent);
        view->setPlayer(player);
        return view;
    }
    auto* view = new SoftwareVideoView(parent);
    view->setPlayer(player);
    return view;
}
