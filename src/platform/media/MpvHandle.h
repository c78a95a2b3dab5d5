#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mpv/client.h>

class MpvRenderAttachment;

// One libmpv core with our options, its event plumbing and its render attachment.
//
// libmpv calls the wakeup callback on its own threads; the callback only queues one drain of the
// event queue onto the thread of this object (the main thread), where every event is handled. Only
// non-blocking calls are offered: commands and property writes are asynchronous and their replies come
// back as events. Destruction unloads the core's file (rendering the frames it hands over meanwhile),
// releases the render context, then ends the core, then deletes the attachment; it blocks for the few
// milliseconds that takes.
class MpvHandle : public QObject {
    Q_OBJECT
public:
    struct Options {
        // vo=libmpv for a render context attached right after creation; otherwise vo=null.
        bool renderApi = false;
        // false: ao=null (tests, headless runs).
        bool audioOutput = true;
    };
    struct CreateResult {
        std::unique_ptr<MpvHandle> handle; // null on failure
        QString error;
        explicit operator bool() const { return handle != nullptr; }
    };
    using EventHandler = std::function<void(const mpv_event&)>;

    static CreateResult create(const Options& options);
    ~MpvHandle() override;

    mpv_handle* get() const { return m_handle.get(); }
    bool usesRenderApi() const { return m_options.renderApi; }

    // Takes ownership. A core accepts one render context in its life; attach it before loading a file.
    void setRenderAttachment(std::unique_ptr<MpvRenderAttachment> attachment);
    MpvRenderAttachment* renderAttachment() const { return m_renderAttachment.get(); }

    // Every event except those this class answers itself (its own property replies) goes here.
    void setEventHandler(EventHandler handler) { m_eventHandler = std::move(handler); }

    // The display size of the video after the last reconfiguration, asked asynchronously: empty while
    // unknown, while a new size is being asked, or without video.
    QSize videoSize() const { return m_videoSize; }
    bool isVideoSizePending() const { return m_videoSizePending; }

    // Asynchronous requests; failures come back as replies carrying replyUserdata with an error.
    // Reply values with the top bit set are reserved for this class.
    void commandAsync(std::initializer_list<const char*> args, quint64 replyUserdata = 0);
    void setFlagAsync(const char* name, bool value, quint64 replyUserdata = 0);
    void setDoubleAsync(const char* name, double value, quint64 replyUserdata = 0);
    void observe(quint64 id, const char* name, mpv_format format);

    // Render attachments tell the handle when they have drawn a frame.
    void noteFrameRendered();
    quint64 framesRendered() const { return m_framesRendered; }

signals:
    void videoSizeChanged(QSize size);
    void playbackRestarted();
    void frameRendered();

private:
    struct Deleter {
        void operator()(mpv_handle* handle) const;
    };

    MpvHandle(mpv_handle* handle, const Options& options);
    static void wakeup(void* self);
    void drainEvents();
    void stopServingFrames();
    bool handleOwnEvent(const mpv_event& event);

    Options m_options;
    std::unique_ptr<mpv_handle, Deleter> m_handle;
    std::unique_ptr<MpvRenderAttachment> m_renderAttachment;
    EventHandler m_eventHandler;
    std::atomic<bool> m_drainQueued{false};
    QSize m_videoSize;
    bool m_videoSizePending = false;
    qint64 m_pendingWidth = -1;
    qint64 m_pendingHeight = -1;
    quint64 m_sizeRequest = 0;
    quint64 m_framesRendered = 0;
};
