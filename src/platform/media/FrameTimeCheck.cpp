#include "platform/media/FrameTimeCheck.h"

#include "platform/media/FfmpegInput.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <algorithm>
#include <cmath>

bool FrameTimeCheck::hasFrameAtTime(const QString& path, int streamIndex, double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        return false;
    auto input = FfmpegInput::open(path);
    if (!input.context || streamIndex < 0 || unsigned(streamIndex) >= input.context->nb_streams)
        return false;
    AVFormatContext* context = input.context.get();
    const AVStream* stream = context->streams[streamIndex];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
        return false;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = int(i) == streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return false;

    const int64_t micro = std::llround(seconds * AV_TIME_BASE);
    const int64_t target =
        FfmpegInput::movieStart(context, stream) + av_rescale_q(micro, AV_TIME_BASE_Q, stream->time_base);
    // Only the packets from somewhere before the target on matter. A file that cannot seek is read
    // from where it stands, which gives the same answer.
    av_seek_frame(context, streamIndex, target, AVSEEK_FLAG_BACKWARD);

    bool anyPacket = false;
    int64_t lastStart = AV_NOPTS_VALUE;
    int64_t lastEnd = AV_NOPTS_VALUE; // the end of the latest packet with a duration
    while (av_read_frame(context, packet.get()) >= 0) {
        if (packet->stream_index != streamIndex) {
            av_packet_unref(packet.get());
            continue;
        }
        // Protected pictures are never decoded, so they show nothing.
        if (av_packet_get_side_data(packet.get(), AV_PKT_DATA_ENCRYPTION_INFO, nullptr))
            return false;
        anyPacket = true;
        const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const int64_t duration = packet->duration;
        av_packet_unref(packet.get());
        if (time == AV_NOPTS_VALUE)
            continue;
        if (time > target)
            return true;
        if (lastStart == AV_NOPTS_VALUE || time >= lastStart) {
            lastStart = time;
            lastEnd = duration > 0 ? time + duration : lastEnd;
        }
    }
    if (!anyPacket || lastStart == AV_NOPTS_VALUE)
        return false;
    // The stream ended at or before the target: its last picture still shows there only if it lasts
    // until then.
    int64_t end = lastEnd;
    if (end == AV_NOPTS_VALUE && stream->duration != AV_NOPTS_VALUE)
        end = (stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time) + stream->duration;
    return end != AV_NOPTS_VALUE && end >= target;
}
