#include "platform/media/FfmpegProbe.h"

#include "platform/media/FfmpegInput.h"

extern "C" {
#include <libavutil/encryption_info.h>
#include <libavutil/mathematics.h>
}

#include <limits>
#include <numeric>

namespace {

// Packets read at most to find the first packet of the streams whose encryption is tested; an
// interleaved file delivers them within the first few.
constexpr int MaxPacketsForEncryptionTest = 256;

bool isDecodable(const AVStream* stream) {
    return stream->codecpar->codec_id != AV_CODEC_ID_NONE && avcodec_find_decoder(stream->codecpar->codec_id);
}

bool isPicture(const AVStream* stream) {
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && isDecodable(stream);
}

bool isSound(const AVStream* stream) {
    return stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && isDecodable(stream);
}

// The picture stream posters come from: the first default one, else the first one.
int pictureStream(const AVFormatContext* context) {
    int first = -1;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (!isPicture(context->streams[i]))
            continue;
        if (context->streams[i]->disposition & AV_DISPOSITION_DEFAULT)
            return int(i);
        if (first < 0)
            first = int(i);
    }
    return first;
}

// The first enabled audio stream. FFmpeg's mov reader turns the tkhd enabled flag into the default
// disposition; other containers have no such flag, so every track counts as enabled there.
int firstEnabledSoundStream(const AVFormatContext* context) {
    const bool hasEnabledFlag = FfmpegInput::isIsoMedia(context);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        if (!hasEnabledFlag || (stream->disposition & AV_DISPOSITION_DEFAULT))
            return int(i);
    }
    return -1;
}

// What the stream's header says about encryption. FFmpeg 5.1's mov reader replaces an 'enca'/'encv'
// sample entry's tag by the original format named in 'frma', so for mp4 the packet test below is the
// one that fires; the tags still catch other readers and older protected iTunes files.
bool headerSaysEncrypted(const AVStream* stream) {
    switch (stream->codecpar->codec_tag) {
    case MKTAG('d', 'r', 'm', 's'):
    case MKTAG('d', 'r', 'm', 'i'):
    case MKTAG('e', 'n', 'c', 'a'):
    case MKTAG('e', 'n', 'c', 'v'):
        return true;
    default:
        break;
    }
    return av_dict_get(stream->metadata, "enc_key_id", nullptr, 0) != nullptr;
}

bool packetIsEncrypted(const AVPacket* packet) {
    return av_packet_get_side_data(packet, AV_PKT_DATA_ENCRYPTION_INFO, nullptr) != nullptr;
}

// Reads packets until the first one of each stream asked about has been seen; answers per stream
// whether that packet carries encryption info.
void testFirstPackets(AVFormatContext* context, int soundIndex, bool& soundEncrypted, int pictureIndex,
                      bool& pictureEncrypted) {
    bool needSound = soundIndex >= 0 && !soundEncrypted;
    bool needPicture = pictureIndex >= 0 && !pictureEncrypted;
    if (!needSound && !needPicture)
        return;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (int(i) != soundIndex && int(i) != pictureIndex)
            context->streams[i]->discard = AVDISCARD_ALL;
    }
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return;
    for (int n = 0; n < MaxPacketsForEncryptionTest && (needSound || needPicture); ++n) {
        if (av_read_frame(context, packet.get()) < 0)
            break;
        if (needSound && packet->stream_index == soundIndex) {
            soundEncrypted = packetIsEncrypted(packet.get());
            needSound = false;
        } else if (needPicture && packet->stream_index == pictureIndex) {
            pictureEncrypted = packetIsEncrypted(packet.get());
            needPicture = false;
        }
        av_packet_unref(packet.get());
    }
}

// A time of `value` units of `base` seconds as an exact MovieTime: units of 1/den when num is 1,
// else value*num units of 1/den; scales beyond 32 bits are reduced, rounding to nearest.
MovieTime exactTime(int64_t value, AVRational base) {
    const int64_t g = std::gcd(int64_t(base.num), int64_t(base.den));
    int64_t num = base.num / g;
    int64_t den = base.den / g;
    if (den <= std::numeric_limits<qint32>::max() && value <= std::numeric_limits<int64_t>::max() / num)
        return MovieTime::make(value * num, qint32(den));
    return MovieTime::make(av_rescale_q(value, base, AVRational{1, AV_TIME_BASE}), AV_TIME_BASE);
}

// The longest stream's end, measured from the movie's start, in that stream's own time base.
// Matroska and WebM give no stream durations, only the container's, which FFmpeg reports in
// microseconds although the file counts milliseconds: it is taken back to milliseconds.
MovieTime movieDuration(const AVFormatContext* context) {
    int best = -1;
    int64_t bestEnd = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        const auto type = stream->codecpar->codec_type;
        if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
            continue;
        if (stream->duration == AV_NOPTS_VALUE || stream->duration <= 0)
            continue;
        const int64_t start = stream->start_time == AV_NOPTS_VALUE
                                  ? 0
                                  : stream->start_time - FfmpegInput::movieStart(context, stream);
        const int64_t end = start + stream->duration;
        if (best < 0 ||
            av_compare_ts(end, stream->time_base, bestEnd, context->streams[best]->time_base) > 0) {
            best = int(i);
            bestEnd = end;
        }
    }
    if (best >= 0)
        return exactTime(bestEnd, context->streams[best]->time_base);
    if (context->duration == AV_NOPTS_VALUE || context->duration < 0)
        return MovieTime::indefinite();
    if (FfmpegInput::isMatroska(context))
        return MovieTime::make((context->duration + 500) / 1000, 1000);
    return MovieTime::make(context->duration, AV_TIME_BASE);
}

} // namespace

FfmpegProbe::Result FfmpegProbe::probe(const QString& path) {
    auto input = FfmpegInput::open(path);
    if (!input.context)
        return {false, {}, input.error};
    AVFormatContext* context = input.context.get();

    Info info;
    info.videoStreamIndex = pictureStream(context);
    info.hasVideo = info.videoStreamIndex >= 0;
    for (unsigned i = 0; i < context->nb_streams && !info.hasAudio; ++i)
        info.hasAudio = isSound(context->streams[i]);
    if (!info.hasVideo && !info.hasAudio)
        return {false, {}, QStringLiteral("no video or audio stream that can be decoded")};

    info.duration = movieDuration(context);

    const int soundIndex = firstEnabledSoundStream(context);
    if (soundIndex >= 0)
        info.isProtected = headerSaysEncrypted(context->streams[soundIndex]);
    if (info.hasVideo)
        info.videoIsEncrypted = headerSaysEncrypted(context->streams[info.videoStreamIndex]);
    testFirstPackets(context, soundIndex, info.isProtected, info.videoStreamIndex, info.videoIsEncrypted);
    return {true, info, {}};
}
