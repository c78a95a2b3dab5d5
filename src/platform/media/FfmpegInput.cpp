#include "platform/media/FfmpegInput.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

#include <cstring>
#include <mutex>
#include <vector>

namespace {

void silenceLogging() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// mov and Matroska headers carry every codec parameter and duration we read; skipping the analysis
// (which opens a decoder per stream) makes probing several times faster.
bool headerIsComplete(const AVFormatContext* context) {
    if (!FfmpegInput::isIsoMedia(context) && !FfmpegInput::isMatroska(context))
        return false;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVCodecParameters* par = context->streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && (par->codec_id == AV_CODEC_ID_NONE || par->width <= 0))
            return false;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO &&
            (par->codec_id == AV_CODEC_ID_NONE || par->sample_rate <= 0))
            return false;
    }
    return true;
}

// One "threads=1" dictionary per stream for the stream analysis, freed with it.
class StreamOptions {
public:
    explicit StreamOptions(unsigned count)
        : m_options(count, nullptr) {
        for (auto& o : m_options)
            av_dict_set(&o, "threads", "1", 0);
    }
    ~StreamOptions() {
        for (auto& o : m_options)
            av_dict_free(&o);
    }
    StreamOptions(const StreamOptions&) = delete;
    StreamOptions& operator=(const StreamOptions&) = delete;
    AVDictionary** data() { return m_options.data(); }

private:
    std::vector<AVDictionary*> m_options;
};

} // namespace

FfmpegInput::Result FfmpegInput::open(const QString& path) {
    silenceLogging();
    if (path.isEmpty())
        return {nullptr, QStringLiteral("no file")};

    // Playlist-like formats may name other resources: keep them to local files.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // The "file:" prefix keeps a colon in the path from being read as a protocol name.
    const QByteArray url = "file:" + path.toUtf8();
    AVFormatContext* raw = nullptr;
    const int opened = avformat_open_input(&raw, url.constData(), nullptr, &options);
    DictionaryPtr leftOver(options); // the options the demuxer did not take
    if (opened < 0)
        return {nullptr, errorText(opened)};
    FormatContextPtr context(raw);

    if (!headerIsComplete(context.get())) {
        // One decoding thread per stream: the analysis decodes a frame or two, and starting a thread
        // pool for that costs more than the decoding.
        StreamOptions streamOptions(context->nb_streams);
        const int found = avformat_find_stream_info(context.get(), streamOptions.data());
        if (found < 0)
            return {nullptr, errorText(found)};
    }
    return {std::move(context), {}};
}

int64_t FfmpegInput::movieStart(const AVFormatContext* context, const AVStream* stream) {
    // The earliest start of a picture or sound stream, compared exactly; the container's own start
    // time is rounded to microseconds and would put a stream a few units before its own start.
    const AVStream* earliest = nullptr;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* s = context->streams[i];
        const auto type = s->codecpar->codec_type;
        if ((type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO) || s->start_time == AV_NOPTS_VALUE)
            continue;
        if (!earliest ||
            av_compare_ts(s->start_time, s->time_base, earliest->start_time, earliest->time_base) < 0)
            earliest = s;
    }
    if (!earliest || earliest->start_time <= 0)
        return 0;
    if (av_cmp_q(earliest->time_base, stream->time_base) == 0)
        return earliest->start_time;
    return av_rescale_q(earliest->start_time, earliest->time_base, stream->time_base);
}

bool FfmpegInput::isIsoMedia(const AVFormatContext* context) {
    return std::strncmp(context->iformat->name, "mov,", 4) == 0;
}

bool FfmpegInput::isMatroska(const AVFormatContext* context) {
    return std::strstr(context->iformat->name, "matroska") != nullptr;
}

QString FfmpegInput::errorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}
