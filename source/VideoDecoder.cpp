#include "source/internal/VideoDecoder.h"

#include <limits>

namespace {

constexpr int64_t kHundredNanosecondsPerSecond = 10'000'000;

}  // namespace

int64_t AvgTimePerFrameOf(AVRational frameRate) {
    if (frameRate.num <= 0 || frameRate.den <= 0) return 0;
    return kHundredNanosecondsPerSecond * frameRate.den / frameRate.num;
}

MediaStatus VideoDecoder::Open(const AVStream& stream) {
    if (const MediaStatus status = OpenCodec(stream); status < 0) return status;
    width = stream.codecpar->width;
    height = stream.codecpar->height;
    const AVPixelFormat pixelFormat = Codec().pix_fmt;
    if (pixelFormat == AV_PIX_FMT_NONE || !sws_isSupportedInput(pixelFormat)) return kStatusUnsupportedVideo;
    if (width <= 0 || height <= 0) return kStatusUnsupportedVideo;
    strideBytes = (size_t(width) * 3 + 3) & ~size_t(3);
    // The encoder takes the picture's length as a signed 32-bit number.
    if (strideBytes * size_t(height) > size_t(std::numeric_limits<int32_t>::max())) return kStatusUnsupportedVideo;
    picture.assign(strideBytes * size_t(height), 0);

    format = VideoInfoHeader{};
    format.AvgTimePerFrame = AvgTimePerFrameOf(stream.avg_frame_rate);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;  // positive: bottom-up
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biSizeImage = uint32_t(picture.size());
    return 0;
}

bool VideoDecoder::Deliver(const AVFrame& frame) {
    // A stream may change size or pixel format midway; every picture is delivered at the
    // size announced in Format(), so that each delivery matches it.
    scaler.reset(sws_getCachedContext(scaler.release(), frame.width, frame.height, AVPixelFormat(frame.format), width,
                                      height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler) return false;
    // Bottom-up: the first picture row goes to the last buffer row, and upward from there.
    uint8_t* const rows[4] = {picture.data() + strideBytes * size_t(height - 1)};
    const int strides[4] = {-int(strideBytes)};
    sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, rows, strides);
    grabber.Deliver(SampleTime(frame), picture.data(), int32_t(picture.size()));
    return true;
}
