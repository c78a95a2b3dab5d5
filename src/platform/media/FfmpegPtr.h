#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>

// Owning pointers for the FFmpeg objects the media code uses; each deleter is the matching free call.
struct FfmpegDeleter {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
    void operator()(AVFrame* p) const { av_frame_free(&p); }
    void operator()(AVPacket* p) const { av_packet_free(&p); }
    void operator()(SwsContext* p) const { sws_freeContext(p); }
    void operator()(AVDictionary* p) const { av_dict_free(&p); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FfmpegDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, FfmpegDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FfmpegDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, FfmpegDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, FfmpegDeleter>;
using DictionaryPtr = std::unique_ptr<AVDictionary, FfmpegDeleter>;
