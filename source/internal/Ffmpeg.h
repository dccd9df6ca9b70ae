#pragma once
// The one place that includes FFmpeg's headers for source/: the version this code is written
// against; the owning handles are in source/FfmpegHandles.h.
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

#include "source/FfmpegHandles.h"

// AVChannelLayout, the const AVCodec* of avcodec_find_decoder and av_find_best_stream
// arrived with FFmpeg 5.0 (libavcodec 59, libavutil 57.24, libswresample 4.5).
#if LIBAVCODEC_VERSION_MAJOR < 59 || LIBAVFORMAT_VERSION_MAJOR < 59 || \
    LIBAVUTIL_VERSION_INT < AV_VERSION_INT(57, 24, 100) || LIBSWRESAMPLE_VERSION_INT < AV_VERSION_INT(4, 5, 100)
#error "source/ needs FFmpeg 5.0 or later"
#endif

