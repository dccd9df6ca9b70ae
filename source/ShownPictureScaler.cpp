#include "source/internal/ShownPictureScaler.h"

namespace {

// FFmpeg's "J" pixel formats are the plain ones in full range; swscale wants the plain name
// and the range given apart.
AVPixelFormat PlainRangeFormat(AVPixelFormat format) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P: return AV_PIX_FMT_YUV411P;
        default: return format;
    }
}

bool IsYuv(AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB) && descriptor->nb_components >= 3;
}

}  // namespace

ffmpeg::SwsPtr ShownPictureScaler(const AVFrame& frame, int width, int height) {
    AVPixelFormat pixelFormat = AVPixelFormat(frame.format);
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    if (const AVPixelFormat plain = PlainRangeFormat(pixelFormat); plain != pixelFormat) {
        pixelFormat = plain;
        fullRange = true;
    }
    ffmpeg::SwsPtr scaler(sws_getContext(frame.width, frame.height, pixelFormat, width, height, AV_PIX_FMT_BGR24,
                                         SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (scaler && IsYuv(pixelFormat)) {
        // The frame's own matrix (BT.601 when it names none or one swscale lacks) and range.
        sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(frame.colorspace), fullRange,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }
    return scaler;
}
