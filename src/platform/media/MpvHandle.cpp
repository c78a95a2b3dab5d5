#include "platform/media/MpvHandle.h"

#include "platform/media/AudioOutputs.h"
#include "platform/media/MpvRenderAttachment.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QtDebug>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr quint64 ReservedReply = quint64(1) << 63;
// Observed only while the core is being ended.
constexpr quint64 IdleObservation = ReservedReply | 1;
// Longer than any unload takes; a core that does not get there is ended all the same.
constexpr int StopTimeoutMs = 1000;

quint64 sizeReply(quint64 request, bool height) {
    return ReservedReply | (request << 1) | (height ? 1 : 0);
}

struct OptionValue {
    const char* name;
    const char* value;
};

} // namespace

void MpvHandle::Deleter::operator()(mpv_handle* handle) const {
    mpv_terminate_destroy(handle);
}

MpvHandle::CreateResult MpvHandle::create(const Options& options) {
    CreateResult result;
    AudioOutputs::quietProbing();
    mpv_handle* raw = mpv_create();
    if (!raw) {
        // mpv_create fails when LC_NUMERIC is not "C" or when out of memory.
        result.error = QStringLiteral("libmpv could not create a player (is LC_NUMERIC \"C\"?)");
        return result;
    }
    std::unique_ptr<MpvHandle> handle(new MpvHandle(raw, options));

    std::vector<OptionValue> values = {
        {"config", "no"},
        {"terminal", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"osd-level", "0"},
        {"ytdl", "no"},
        {"load-scripts", "no"},
        // The built-in scripts too: each would be one more thread per core, for nothing.
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"idle", "yes"},
        {"keep-open", "yes"},
        // Otherwise the pause at the end lands after eof-reached and a reused core starts paused.
        {"keep-open-pause", "no"},
        {"hr-seek", "yes"},
        {"hwdec", "auto-safe"},
        {"audio-fallback-to-null", "yes"},
        {"vo", options.renderApi ? "libmpv" : "null"},
        {"ao", AudioOutputs::outputList(options.audioOutput)},
    };
    for (const OptionValue& option : values) {
        const int error = mpv_set_option_string(raw, option.name, option.value);
        if (error < 0) {
            result.error = QStringLiteral("libmpv refused the option %1=%2: %3")
                               .arg(QLatin1String(option.name), QLatin1String(option.value),
                                    QLatin1String(mpv_error_string(error)));
            return result;
        }
    }
    mpv_set_wakeup_callback(raw, &MpvHandle::wakeup, handle.get());
    if (AudioOutputs::debugRequested())
        mpv_request_log_messages(raw, "v");
    const int error = mpv_initialize(raw);
    if (error < 0) {
        result.error = QStringLiteral("libmpv did not start: %1").arg(QLatin1String(mpv_error_string(error)));
        return result;
    }
    result.handle = std::move(handle);
    return result;
}

MpvHandle::MpvHandle(mpv_handle* handle, const Options& options)
    : m_options(options)
    , m_handle(handle) {}

MpvHandle::~MpvHandle() {
    // Returns only once no wakeup callback runs, so none can reach this object afterwards.
    mpv_set_wakeup_callback(m_handle.get(), nullptr, nullptr);
    // The render context goes first, while its core exists; then the core terminates; then what the
    // attachment still holds (its OpenGL context and surface) goes.
    if (m_renderAttachment) {
        stopServingFrames();
        m_renderAttachment->releaseRenderContext();
    }
    m_handle.reset();
    m_renderAttachment.reset();
}

void MpvHandle::stopServingFrames() {
    // Freeing the render context waits until the core's video output has ended, and while the core plays
    // that output waits (up to 200 ms) for each frame it hands over to be rendered on this thread: every
    // playing core took a fifth of a second to go. So the core unloads its file first, this thread
    // rendering what it is handed meanwhile, until the core is idle and its video output gone.
    mpv_handle* core = m_handle.get();
    // Without gapless sound the core does not play out the sound it has buffered (a fifth of a second
    // and more) before it stops. Only here: while clips play, it would hold back the end of every clip
    // by that much, and with it the switch to the next.
    mpv_set_property_string(core, "gapless-audio", "no");
    const char* stop[] = {"stop", nullptr};
    if (mpv_observe_property(core, IdleObservation, "idle-active", MPV_FORMAT_FLAG) < 0 ||
        mpv_command_async(core, 0, stop) < 0)
        return;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < StopTimeoutMs) {
        m_renderAttachment->renderPendingFrame();
        const mpv_event* event = mpv_wait_event(core, 0.005);
        if (event->event_id == MPV_EVENT_SHUTDOWN)
            return;
        if (event->event_id == MPV_EVENT_PROPERTY_CHANGE && event->reply_userdata == IdleObservation) {
            const auto* property = static_cast<const mpv_event_property*>(event->data);
            if (property->format == MPV_FORMAT_FLAG && *static_cast<const int*>(property->data))
                return;
        }
    }
}

void MpvHandle::setRenderAttachment(std::unique_ptr<MpvRenderAttachment> attachment) {
    m_renderAttachment = std::move(attachment);
}

void MpvHandle::wakeup(void* self) {
    auto* handle = static_cast<MpvHandle*>(self);
    // One queued drain at a time: a burst of events costs one call on the main thread.
    if (!handle->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(handle, &MpvHandle::drainEvents, Qt::QueuedConnection);
}

void MpvHandle::drainEvents() {
    m_drainQueued.store(false);
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_handle.get(), 0);
        if (!event || event->event_id == MPV_EVENT_NONE)
            break;
        if (!handleOwnEvent(*event) && m_eventHandler)
            m_eventHandler(*event);
        // After the handler, so that the player has seen the restart before a redraw reports a frame.
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART)
            emit playbackRestarted();
    }
}

bool MpvHandle::handleOwnEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_VIDEO_RECONFIG:
        // Show nothing new until the size is known: rendering into a 0x0 target draws black.
        ++m_sizeRequest;
        m_videoSizePending = true;
        m_pendingWidth = -1;
        m_pendingHeight = -1;
        mpv_get_property_async(m_handle.get(), sizeReply(m_sizeRequest, false), "dwidth", MPV_FORMAT_INT64);
        mpv_get_property_async(m_handle.get(), sizeReply(m_sizeRequest, true), "dheight", MPV_FORMAT_INT64);
        return false;
    case MPV_EVENT_GET_PROPERTY_REPLY: {
        if (!(event.reply_userdata & ReservedReply))
            return false;
        const bool isHeight = event.reply_userdata & 1;
        if (event.reply_userdata != sizeReply(m_sizeRequest, isHeight))
            return true; // an answer to an older reconfiguration
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        qint64 value = 0; // no video: the property is unavailable
        if (event.error >= 0 && property->format == MPV_FORMAT_INT64)
            value = *static_cast<const int64_t*>(property->data);
        (isHeight ? m_pendingHeight : m_pendingWidth) = value;
        if (m_pendingWidth >= 0 && m_pendingHeight >= 0) {
            m_videoSizePending = false;
            const QSize size = (m_pendingWidth > 0 && m_pendingHeight > 0)
                                   ? QSize(int(m_pendingWidth), int(m_pendingHeight))
                                   : QSize();
            m_videoSize = size;
            emit videoSizeChanged(size);
        }
        return true;
    }
    case MPV_EVENT_LOG_MESSAGE: {
        // Only requested when audio debugging is asked for: the audio outputs' messages.
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        if (std::strncmp(message->prefix, "ao", 2) == 0)
            std::fprintf(stderr, "mpv [%s] %s", message->prefix, message->text);
        return true;
    }
    default:
        return false;
    }
}

void MpvHandle::commandAsync(std::initializer_list<const char*> args, quint64 replyUserdata) {
    std::vector<const char*> list(args);
    list.push_back(nullptr);
    const int error = mpv_command_async(m_handle.get(), replyUserdata, list.data());
    if (error < 0)
        qWarning("mpv command %s refused: %s", list.front(), mpv_error_string(error));
}

void MpvHandle::setFlagAsync(const char* name, bool value, quint64 replyUserdata) {
    int flag = value ? 1 : 0;
    const int error = mpv_set_property_async(m_handle.get(), replyUserdata, name, MPV_FORMAT_FLAG, &flag);
    if (error < 0)
        qWarning("mpv property %s refused: %s", name, mpv_error_string(error));
}

void MpvHandle::setDoubleAsync(const char* name, double value, quint64 replyUserdata) {
    const int error = mpv_set_property_async(m_handle.get(), replyUserdata, name, MPV_FORMAT_DOUBLE, &value);
    if (error < 0)
        qWarning("mpv property %s refused: %s", name, mpv_error_string(error));
}

void MpvHandle::observe(quint64 id, const char* name, mpv_format format) {
    const int error = mpv_observe_property(m_handle.get(), id, name, format);
    if (error < 0)
        qWarning("mpv cannot observe %s: %s", name, mpv_error_string(error));
}

void MpvHandle::noteFrameRendered() {
    ++m_framesRendered;
    emit frameRendered();
}
