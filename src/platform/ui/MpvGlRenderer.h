#pragma once

#include "platform/media/MpvRenderAttachment.h"

#include <QSize>
#include <QString>
#include <atomic>
#include <memory>
#include <qopengl.h>

class MpvHandle;
class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;
struct mpv_render_context;

// Renders one libmpv handle through the OpenGL render API into a texture of its own, on a hidden
// offscreen surface with a context shared with every view, so that any number of views can draw the
// same picture. Frames are rendered on the main thread when libmpv asks (merged into one queued call),
// without waiting for their display time, and fenced so that views wait for the rendering to finish.
// Must be made before the handle loads its first file.
class MpvGlRenderer : public MpvRenderAttachment {
    Q_OBJECT
public:
    struct CreateResult {
        std::unique_ptr<MpvGlRenderer> renderer; // null on failure
        QString error;
        explicit operator bool() const { return renderer != nullptr; }
    };

    // Needs Qt::AA_ShareOpenGLContexts (the global share context).
    static CreateResult create(MpvHandle& handle);
    ~MpvGlRenderer() override;

    void releaseRenderContext() override;
    void renderPendingFrame() override;
    bool hasFrame() const override { return m_hasFrame; }

    // The texture of the last frame (top row first), its size, and the fence to wait on before
    // sampling it (null where the context has no sync objects).
    GLuint texture() const;
    QSize textureSize() const;
    GLsync fence() const { return m_fence; }

signals:
    void frameRendered();

private:
    struct RenderContextDeleter {
        void operator()(mpv_render_context* context) const;
    };

    explicit MpvGlRenderer(MpvHandle& handle);
    static void onUpdate(void* self);
    static void* procAddress(void* context, const char* name);
    void processUpdate();
    void redraw();
    bool render();
    bool renderInto(QOpenGLFramebufferObject& framebuffer);

    MpvHandle& m_handle;
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<mpv_render_context, RenderContextDeleter> m_renderContext;
    std::unique_ptr<QOpenGLFramebufferObject> m_framebuffer;
    // Takes the frames that cannot be shown yet (see render()).
    std::unique_ptr<QOpenGLFramebufferObject> m_scratch;
    GLsync m_fence = nullptr;
    bool m_useFences = false;
    bool m_hasFrame = false;
    std::atomic<bool> m_updateQueued{false};
};
