#pragma once

#include "platform/media/MpvRenderAttachment.h"

#include <QImage>
#include <QString>
#include <atomic>
#include <cstdlib>
#include <memory>

class MpvHandle;
struct mpv_render_context;

// Renders one libmpv handle with libmpv's software renderer into an image, for machines without
// OpenGL (and cheaper than software OpenGL). The image is rgb0 in a 64-byte aligned buffer with a
// stride that is a multiple of 64 bytes, at the video's size; views scale it. Must be made before the
// handle loads its first file.
class MpvSwRenderer : public MpvRenderAttachment {
    Q_OBJECT
public:
    struct CreateResult {
        std::unique_ptr<MpvSwRenderer> renderer; // null on failure
        QString error;
        explicit operator bool() const { return renderer != nullptr; }
    };

    static CreateResult create(MpvHandle& handle);
    ~MpvSwRenderer() override;

    void releaseRenderContext() override;
    void renderPendingFrame() override;
    bool hasFrame() const override { return !m_image.isNull(); }

    // The last frame; it shares the renderer's buffer and is valid until the next frame is rendered.
    const QImage& image() const { return m_image; }

signals:
    void frameRendered();

private:
    struct RenderContextDeleter {
        void operator()(mpv_render_context* context) const;
    };
    struct BufferDeleter {
        void operator()(unsigned char* buffer) const { std::free(buffer); }
    };

    explicit MpvSwRenderer(MpvHandle& handle);
    static void onUpdate(void* self);
    void processUpdate();
    void redraw();
    bool render();

    MpvHandle& m_handle;
    std::unique_ptr<mpv_render_context, RenderContextDeleter> m_renderContext;
    std::unique_ptr<unsigned char, BufferDeleter> m_buffer;
    QSize m_bufferSize;
    size_t m_stride = 0;
    QImage m_image;
    // 16x4 rgb0 pixels for frames that cannot be shown yet (see render()); aligned as libmpv asks.
    alignas(64) unsigned char m_scratch[16 * 4 * 4] = {};
    std::atomic<bool> m_updateQueued{false};
};
