#include "platform/media/FrameDecoder.h"

#include "platform/media/FfmpegInput.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

bool isFullRange(const AVFrame* frame) {
    switch (frame->format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUVJ440P:
    case AV_PIX_FMT_YUVJ411P:
        return true;
    default:
        return frame->color_range == AVCOL_RANGE_JPEG;
    }
}

// The thumbnail size: the displayed aspect (with the sample aspect ratio), at most maxWidth wide,
// never enlarged.
std::pair<int, int> thumbnailSize(const AVFrame* frame, AVRational sampleAspect, int maxWidth) {
    double displayWidth = frame->width;
    if (sampleAspect.num > 0 && sampleAspect.den > 0)
        displayWidth = frame->width * av_q2d(sampleAspect);
    double width = displayWidth;
    if (maxWidth > 0)
        width = std::min(width, double(maxWidth));
    const double height = width * frame->height / displayWidth;
    return {std::max(1, int(std::lround(width))), std::max(1, int(std::lround(height)))};
}

std::optional<VideoImage> toImage(const AVFrame* frame, AVRational sampleAspect, int maxWidth) {
    if (frame->width <= 0 || frame->height <= 0 || frame->format < 0)
        return std::nullopt;
    const auto [width, height] = thumbnailSize(frame, sampleAspect, maxWidth);
    SwsContextPtr sws(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), width, height,
                                     AV_PIX_FMT_RGB0, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!sws)
        return std::nullopt;
    const int colorspace =
        frame->colorspace == AVCOL_SPC_UNSPECIFIED ? SWS_CS_DEFAULT : int(frame->colorspace);
    sws_setColorspaceDetails(sws.get(), sws_getCoefficients(colorspace), isFullRange(frame) ? 1 : 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);

    // Scale into an aligned frame (swscale may write whole vectors), then copy the rows out unpadded.
    FramePtr rgb(av_frame_alloc());
    if (!rgb)
        return std::nullopt;
    rgb->format = AV_PIX_FMT_RGB0;
    rgb->width = width;
    rgb->height = height;
    if (av_frame_get_buffer(rgb.get(), 0) < 0)
        return std::nullopt;
    if (sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, rgb->data, rgb->linesize) !=
        height)
        return std::nullopt;

    VideoImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(qsizetype(width) * height * 4);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.pixels.data() + qsizetype(y) * width * 4,
                    rgb->data[0] + qsizetype(y) * rgb->linesize[0], size_t(width) * 4);
    return image;
}

// Positions the file so that the next picture packet is a keyframe at or before the target, and reads
// that packet. Index-based formats land on a keyframe at once; formats sought by timestamp search
// (transport streams) may land between keyframes, so the search steps back further, down to the start.
// Answers whether `packet` holds the first packet to decode.
bool seekToKeyframe(AVFormatContext* context, const AVStream* stream, int64_t target, AVPacket* packet) {
    const int64_t start = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    const int64_t second = std::max<int64_t>(1, av_rescale_q(1, AVRational{1, 1}, stream->time_base));
    int64_t back = 0;
    for (;;) {
        const int64_t ts = std::max(start, target - back);
        if (av_seek_frame(context, stream->index, ts, AVSEEK_FLAG_BACKWARD) < 0)
            return false; // not seekable: decoding from where the file is reaches the same picture
        while (av_read_frame(context, packet) >= 0) {
            if (packet->stream_index == stream->index)
                break;
            av_packet_unref(packet);
        }
        if (packet->stream_index != stream->index || packet->size == 0)
            return false;
        if ((packet->flags & AV_PKT_FLAG_KEY) || ts == start)
            return true;
        av_packet_unref(packet);
        back = back == 0 ? second : back * 2;
    }
}

int64_t frameTime(const AVFrame* frame) {
    return frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
}

} // namespace

FrameDecoder::FrameDecoder(QString path, int streamIndex, int maxWidth)
    : m_path(std::move(path))
    , m_streamIndex(streamIndex)
    , m_maxWidth(maxWidth) {}

std::optional<VideoImage> FrameDecoder::firstFrame() const {
    return decode(std::nullopt);
}

std::optional<VideoImage> FrameDecoder::frameAtTime(double seconds) const {
    if (!std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    return decode(seconds);
}

std::optional<VideoImage> FrameDecoder::decode(std::optional<double> seconds) const {
    auto input = FfmpegInput::open(m_path);
    if (!input.context || m_streamIndex < 0 || unsigned(m_streamIndex) >= input.context->nb_streams)
        return std::nullopt;
    AVFormatContext* context = input.context.get();
    AVStream* stream = context->streams[m_streamIndex];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
        return std::nullopt;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = int(i) == m_streamIndex ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return std::nullopt;
    CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return std::nullopt;
    decoder->thread_count = 1;
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return std::nullopt;

    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    FramePtr last(av_frame_alloc());
    if (!packet || !frame || !last)
        return std::nullopt;

    // The target in the stream's time base; without one, the first picture is wanted.
    int64_t target = 0;
    bool havePacket = false;
    if (seconds) {
        const int64_t micro = std::llround(*seconds * AV_TIME_BASE);
        target =
            FfmpegInput::movieStart(context, stream) + av_rescale_q(micro, AV_TIME_BASE_Q, stream->time_base);
        havePacket = seekToKeyframe(context, stream, target, packet.get());
    }
    bool haveLast = false;
    int64_t lastEnd = AV_NOPTS_VALUE;

    // Takes the decoder's pictures; answers true once the picture to show has been found.
    auto drain = [&]() -> bool {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            const int64_t time = frameTime(frame.get());
            if (!seconds)
                return true;
            if (time != AV_NOPTS_VALUE && time > target) {
                if (!haveLast) { // the stream begins after the target: its first picture shows there
                    std::swap(frame, last);
                    haveLast = true;
                }
                return true;
            }
            if (time != AV_NOPTS_VALUE && frame->pkt_duration > 0)
                lastEnd = time + frame->pkt_duration;
            av_frame_unref(last.get());
            std::swap(frame, last);
            haveLast = true;
        }
        return false;
    };

    bool found = false;
    bool atEnd = false;
    while (!found && !atEnd) {
        const int read = havePacket ? 0 : av_read_frame(context, packet.get());
        havePacket = false;
        if (read < 0) {
            atEnd = true;
            avcodec_send_packet(decoder.get(), nullptr);
        } else if (packet->stream_index != m_streamIndex) {
            av_packet_unref(packet.get());
            continue;
        } else {
            // Protected pictures are never handed to a decoder.
            if (av_packet_get_side_data(packet.get(), AV_PKT_DATA_ENCRYPTION_INFO, nullptr))
                return std::nullopt;
            // A damaged packet is skipped; the decoder resynchronises at the next one.
            const int sent = avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
            if (sent == AVERROR(ENOMEM))
                return std::nullopt;
        }
        found = drain();
    }

    const AVRational sampleAspect = av_guess_sample_aspect_ratio(context, stream, nullptr);
    if (!seconds)
        return found ? toImage(frame.get(), sampleAspect, m_maxWidth) : std::nullopt;
    if (!haveLast)
        return std::nullopt;
    if (!found) {
        // The stream ended at or before the target: its last picture is still showing at the target
        // only if the stream lasts until then.
        int64_t end = lastEnd;
        if (end == AV_NOPTS_VALUE && stream->duration != AV_NOPTS_VALUE)
            end = (stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time) + stream->duration;
        if (end == AV_NOPTS_VALUE || end < target)
            return std::nullopt;
    }
    return toImage(last.get(), sampleAspect, m_maxWidth);
}
