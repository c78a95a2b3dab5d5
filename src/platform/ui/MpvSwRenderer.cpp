#include "platform/ui/MpvSwRenderer.h"

#include "platform/media/MpvHandle.h"

#include <QMetaObject>
#include <mpv/render.h>

namespace {
constexpr size_t Alignment = 64;
}

void MpvSwRenderer::RenderContextDeleter::operator()(mpv_render_context* context) const {
    mpv_render_context_free(context);
}

MpvSwRenderer::MpvSwRenderer(MpvHandle& handle)
    : m_handle(handle) {}

MpvSwRenderer::CreateResult MpvSwRenderer::create(MpvHandle& handle) {
    CreateResult result;
    std::unique_ptr<MpvSwRenderer> renderer(new MpvSwRenderer(handle));
    char apiType[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, apiType}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context* raw = nullptr;
    const int error = mpv_render_context_create(&raw, handle.get(), params);
    if (error < 0) {
        result.error = QStringLiteral("libmpv cannot render in software: %1")
                           .arg(QLatin1String(mpv_error_string(error)));
        return result;
    }
    renderer->m_renderContext.reset(raw);
    mpv_render_context_set_update_callback(raw, &MpvSwRenderer::onUpdate, renderer.get());
    connect(&handle, &MpvHandle::videoSizeChanged, renderer.get(), &MpvSwRenderer::redraw);
    connect(&handle, &MpvHandle::playbackRestarted, renderer.get(), &MpvSwRenderer::redraw);
    result.renderer = std::move(renderer);
    return result;
}

MpvSwRenderer::~MpvSwRenderer() {
    releaseRenderContext();
}

void MpvSwRenderer::releaseRenderContext() {
    if (m_renderContext) {
        mpv_render_context_set_update_callback(m_renderContext.get(), nullptr, nullptr);
        m_renderContext.reset();
    }
    m_image = QImage();
    m_buffer.reset();
    m_bufferSize = QSize();
}

void MpvSwRenderer::renderPendingFrame() {
    if (m_renderContext && (mpv_render_context_update(m_renderContext.get()) & MPV_RENDER_UPDATE_FRAME))
        render();
}

void MpvSwRenderer::onUpdate(void* self) {
    auto* renderer = static_cast<MpvSwRenderer*>(self);
    if (!renderer->m_updateQueued.exchange(true))
        QMetaObject::invokeMethod(renderer, &MpvSwRenderer::processUpdate, Qt::QueuedConnection);
}

void MpvSwRenderer::processUpdate() {
    m_updateQueued.store(false);
    if (!m_renderContext)
        return;
    const uint64_t flags = mpv_render_context_update(m_renderContext.get());
    if ((flags & MPV_RENDER_UPDATE_FRAME) && render()) {
        m_handle.noteFrameRendered();
        emit frameRendered();
    }
}

void MpvSwRenderer::redraw() {
    if (m_renderContext && render()) {
        m_handle.noteFrameRendered();
        emit frameRendered();
    }
}

bool MpvSwRenderer::render() {
    const QSize size = m_handle.videoSize();
    if (m_handle.isVideoSizePending() || size.isEmpty()) {
        // Out of sight, as MpvGlRenderer does: the core's video output waits for each frame it hands
        // over to be rendered. redraw() renders it again once the size is known.
        int scratchSize[2] = {16, 4};
        char scratchFormat[] = "rgb0";
        size_t scratchStride = Alignment; // 16 pixels of 4 bytes
        int noWait = 0;
        mpv_render_param scratch[] = {
            {MPV_RENDER_PARAM_SW_SIZE, scratchSize},           {MPV_RENDER_PARAM_SW_FORMAT, scratchFormat},
            {MPV_RENDER_PARAM_SW_STRIDE, &scratchStride},      {MPV_RENDER_PARAM_SW_POINTER, m_scratch},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noWait}, {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(m_renderContext.get(), scratch);
        return false;
    }
    if (size != m_bufferSize) {
        m_image = QImage();
        m_stride = (size_t(size.width()) * 4 + Alignment - 1) / Alignment * Alignment;
        m_buffer.reset(
            static_cast<unsigned char*>(std::aligned_alloc(Alignment, m_stride * size_t(size.height()))));
        if (!m_buffer) {
            m_bufferSize = QSize();
            return false;
        }
        m_bufferSize = size;
    }
    int renderSize[2] = {size.width(), size.height()};
    char format[] = "rgb0";
    size_t stride = m_stride;
    // Waiting for the frame's display time would stall the main thread for each frame; the update
    // callback already comes when a frame is due.
    int blockForTime = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, renderSize},
                                 {MPV_RENDER_PARAM_SW_FORMAT, format},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, m_buffer.get()},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTime},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_render(m_renderContext.get(), params) < 0)
        return false;
    // rgb0 has its padding byte last, which RGBX8888 ignores.
    m_image =
        QImage(m_buffer.get(), size.width(), size.height(), qsizetype(m_stride), QImage::Format_RGBX8888);
    return true;
}
