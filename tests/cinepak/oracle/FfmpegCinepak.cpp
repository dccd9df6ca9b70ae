#include "tests/cinepak/oracle/FfmpegCinepak.h"

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace cinepak_test {


FfmpegDecoder::FfmpegDecoder(int width, int height) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_CINEPAK);
    if (!codec) return;
    ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context) return;
    context->width = width;
    context->height = height;
    context->bits_per_coded_sample = 24;  // RGB24 output
    if (avcodec_open2(context.get(), codec, nullptr) < 0) return;
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (frame_ && packet_) context_ = std::move(context);
}

FfmpegDecoder::~FfmpegDecoder() = default;

std::vector<uint8_t> FfmpegDecoder::Decode(std::span<const uint8_t> frame) {
    if (!context_) return {};
    padded_.assign(frame.begin(), frame.end());
    padded_.resize(frame.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    packet_->data = padded_.data();
    packet_->size = int(frame.size());
    if (avcodec_send_packet(context_.get(), packet_.get()) < 0) return {};
    if (avcodec_receive_frame(context_.get(), frame_.get()) < 0) return {};
    std::vector<uint8_t> rgb;
    if (frame_->format == AV_PIX_FMT_RGB24) {
        const size_t rowBytes = size_t(frame_->width) * 3;
        for (int y = 0; y < frame_->height; ++y) {
            const uint8_t* row = frame_->data[0] + size_t(y) * frame_->linesize[0];
            rgb.insert(rgb.end(), row, row + rowBytes);
        }
    }
    av_frame_unref(frame_.get());
    return rgb;
}

std::vector<uint8_t> TopDownRgb(std::span<const uint8_t> bottomUpBgr, int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* source = bottomUpBgr.data() + (size_t(height - 1 - y) * size_t(width) + size_t(x)) * 3;
            uint8_t* target = rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
        }
    return rgb;
}

double Psnr(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    double sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    if (sum == 0 || a.size() != b.size()) return a.size() == b.size() ? 99 : 0;
    return 10 * std::log10(255.0 * 255.0 * double(a.size()) / sum);
}

}  // namespace cinepak_test
