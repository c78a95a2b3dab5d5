#include "platform/ui/MpvGlRenderer.h"

#include "platform/media/MpvHandle.h"

#include <QMetaObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>
#include <mpv/render_gl.h>

void MpvGlRenderer::RenderContextDeleter::operator()(mpv_render_context* context) const {
    mpv_render_context_free(context);
}

MpvGlRenderer::MpvGlRenderer(MpvHandle& handle)
    : m_handle(handle) {}

MpvGlRenderer::CreateResult MpvGlRenderer::create(MpvHandle& handle) {
    CreateResult result;
    QOpenGLContext* shared = QOpenGLContext::globalShareContext();
    if (!shared) {
        result.error = QStringLiteral("no shared OpenGL context (Qt::AA_ShareOpenGLContexts is not set)");
        return result;
    }
    std::unique_ptr<MpvGlRenderer> renderer(new MpvGlRenderer(handle));
    renderer->m_surface = std::make_unique<QOffscreenSurface>();
    renderer->m_surface->setFormat(shared->format());
    renderer->m_surface->create();
    renderer->m_context = std::make_unique<QOpenGLContext>();
    renderer->m_context->setFormat(shared->format());
    renderer->m_context->setShareContext(shared);
    if (!renderer->m_context->create() || !renderer->m_context->makeCurrent(renderer->m_surface.get())) {
        result.error = QStringLiteral("cannot make an OpenGL context for video");
        return result;
    }
    QOpenGLContext& context = *renderer->m_context;
    renderer->m_useFences = context.format().version() >= qMakePair(3, 2) ||
                            context.hasExtension("GL_ARB_sync") ||
                            (context.isOpenGLES() && context.format().majorVersion() >= 3);

    mpv_opengl_init_params glInit{&MpvGlRenderer::procAddress, &context};
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context* raw = nullptr;
    const int error = mpv_render_context_create(&raw, handle.get(), params);
    context.doneCurrent();
    if (error < 0) {
        result.error = QStringLiteral("libmpv cannot render with OpenGL: %1")
                           .arg(QLatin1String(mpv_error_string(error)));
        return result;
    }
    renderer->m_renderContext.reset(raw);
    mpv_render_context_set_update_callback(raw, &MpvGlRenderer::onUpdate, renderer.get());
    connect(&handle, &MpvHandle::videoSizeChanged, renderer.get(), &MpvGlRenderer::redraw);
    connect(&handle, &MpvHandle::playbackRestarted, renderer.get(), &MpvGlRenderer::redraw);
    result.renderer = std::move(renderer);
    return result;
}

MpvGlRenderer::~MpvGlRenderer() {
    releaseRenderContext();
}

void MpvGlRenderer::releaseRenderContext() {
    if (!m_context)
        return;
    const bool current = m_context->makeCurrent(m_surface.get());
    if (m_renderContext) {
        // Returns once no update callback runs; none comes afterwards.
        mpv_render_context_set_update_callback(m_renderContext.get(), nullptr, nullptr);
        m_renderContext.reset();
    }
    m_framebuffer.reset();
    m_scratch.reset();
    if (current) {
        if (m_fence)
            m_context->extraFunctions()->glDeleteSync(m_fence);
        m_context->doneCurrent();
    }
    m_fence = nullptr;
    m_hasFrame = false;
}

void MpvGlRenderer::renderPendingFrame() {
    if (!m_renderContext || !m_context->makeCurrent(m_surface.get()))
        return;
    if (mpv_render_context_update(m_renderContext.get()) & MPV_RENDER_UPDATE_FRAME)
        render();
    m_context->doneCurrent();
}

GLuint MpvGlRenderer::texture() const {
    return m_framebuffer ? m_framebuffer->texture() : 0;
}
QSize MpvGlRenderer::textureSize() const {
    return m_framebuffer ? m_framebuffer->size() : QSize();
}

void* MpvGlRenderer::procAddress(void* context, const char* name) {
    return reinterpret_cast<void*>(static_cast<QOpenGLContext*>(context)->getProcAddress(name));
}

void MpvGlRenderer::onUpdate(void* self) {
    // Called on a libmpv thread: no mpv or GL call here, one queued call for any number of updates.
    auto* renderer = static_cast<MpvGlRenderer*>(self);
    if (!renderer->m_updateQueued.exchange(true))
        QMetaObject::invokeMethod(renderer, &MpvGlRenderer::processUpdate, Qt::QueuedConnection);
}

void MpvGlRenderer::processUpdate() {
    m_updateQueued.store(false);
    if (!m_renderContext || !m_context->makeCurrent(m_surface.get()))
        return;
    const uint64_t flags = mpv_render_context_update(m_renderContext.get());
    const bool rendered = (flags & MPV_RENDER_UPDATE_FRAME) && render();
    m_context->doneCurrent();
    if (rendered) {
        m_handle.noteFrameRendered();
        emit frameRendered();
    }
}

void MpvGlRenderer::redraw() {
    if (!m_renderContext || !m_context->makeCurrent(m_surface.get()))
        return;
    const bool rendered = render();
    m_context->doneCurrent();
    if (rendered) {
        m_handle.noteFrameRendered();
        emit frameRendered();
    }
}

bool MpvGlRenderer::render() {
    const QSize size = m_handle.videoSize();
    // Rendering into a target of no size draws black; wait for the size of the new video. The frame the
    // core hands over meanwhile is rendered all the same, out of sight: its video output waits for that
    // (up to 200 ms, and the core with it, so that the size's own answer came that late). Once the size
    // is known, redraw() renders it again where the views see it.
    if (m_handle.isVideoSizePending() || size.isEmpty()) {
        if (!m_scratch)
            m_scratch = std::make_unique<QOpenGLFramebufferObject>(
                QSize(16, 16), QOpenGLFramebufferObject::NoAttachment, GL_TEXTURE_2D, GL_RGBA8);
        if (m_scratch->isValid())
            renderInto(*m_scratch);
        return false;
    }
    if (!m_framebuffer || m_framebuffer->size() != size) {
        m_framebuffer = std::make_unique<QOpenGLFramebufferObject>(
            size, QOpenGLFramebufferObject::NoAttachment, GL_TEXTURE_2D, GL_RGBA8);
        if (!m_framebuffer->isValid()) {
            m_framebuffer.reset();
            return false;
        }
    }
    if (!renderInto(*m_framebuffer))
        return false;
    QOpenGLExtraFunctions* gl = m_context->extraFunctions();
    if (m_useFences) {
        if (m_fence)
            gl->glDeleteSync(m_fence);
        m_fence = gl->glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    }
    gl->glFlush();
    m_hasFrame = true;
    return true;
}

bool MpvGlRenderer::renderInto(QOpenGLFramebufferObject& framebuffer) {
    const QSize size = framebuffer.size();
    mpv_opengl_fbo target{int(framebuffer.handle()), size.width(), size.height(), 0};
    int flipY = 0;        // top row first; views blit with OriginTopLeft
    int blockForTime = 0; // waiting for the display time would stall the main thread for each frame
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &target},
                                 {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTime},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    return mpv_render_context_render(m_renderContext.get(), params) >= 0;
}
