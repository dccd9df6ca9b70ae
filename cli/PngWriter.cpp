#include "cli/PngWriter.h"

#include <fmt/format.h>

#include <fstream>

#include "source/FfmpegHandles.h"

namespace {

// Encodes one RGB24 picture; the packet holds the whole PNG file.
std::string EncodePng(int width, int height, std::span<const uint8_t> rgb, ffmpeg::PacketPtr& packet) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    if (!codec) return "FFmpeg has no PNG encoder";
    ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
    ffmpeg::FramePtr frame(av_frame_alloc());
    packet.reset(av_packet_alloc());
    if (!context || !frame || !packet) return "out of memory";
    context->width = width;
    context->height = height;
    context->pix_fmt = AV_PIX_FMT_RGB24;
    context->time_base = {1, 1};
    if (int status = avcodec_open2(context.get(), codec, nullptr); status < 0)
        return "PNG encoder: " + ffmpeg::ErrorText(status);
    frame->format = AV_PIX_FMT_RGB24;
    frame->width = width;
    frame->height = height;
    // The encoder only reads the picture.
    frame->data[0] = const_cast<uint8_t*>(rgb.data());
    frame->linesize[0] = width * 3;
    int status = avcodec_send_frame(context.get(), frame.get());
    if (status >= 0) status = avcodec_receive_packet(context.get(), packet.get());
    return status < 0 ? "PNG encoder: " + ffmpeg::ErrorText(status) : std::string();
}

}  // namespace

std::string WritePng(const std::string& path, int width, int height, std::span<const uint8_t> rgb) {
    if (rgb.size() != size_t(width) * size_t(height) * 3)
        return fmt::format("a {} x {} picture needs {} bytes, not {}", width, height, size_t(width) * height * 3,
                           rgb.size());
    ffmpeg::PacketPtr packet;
    if (std::string error = EncodePng(width, height, rgb, packet); !error.empty()) return error;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(packet->data), packet->size);
    out.close();
    return out ? std::string() : fmt::format("cannot write {}", path);
}
