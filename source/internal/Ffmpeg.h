#pragma once
// The one place that includes FFmpeg's headers for source/: the version this code is written
// against, and owning handles for FFmpeg's objects with their matching free functions.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

// AVChannelLayout, the const AVCodec* of avcodec_find_decoder and av_find_best_stream
// arrived with FFmpeg 5.0 (libavcodec 59, libavutil 57.24, libswresample 4.5).
#if LIBAVCODEC_VERSION_MAJOR < 59 || LIBAVFORMAT_VERSION_MAJOR < 59 || \
    LIBAVUTIL_VERSION_INT < AV_VERSION_INT(57, 24, 100) || LIBSWRESAMPLE_VERSION_INT < AV_VERSION_INT(4, 5, 100)
#error "source/ needs FFmpeg 5.0 or later"
#endif

namespace ffmpeg {

struct FormatContextDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct SwsDeleter {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct SwrDeleter {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;

}  // namespace ffmpeg
