#include "tests/player/FfmpegCinepakRecords.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <cstring>
#include <stdexcept>

#include "tests/player/CinepakFrameRecord.h"
#include "source/FfmpegHandles.h"

namespace {

void Drain(AVCodecContext* encoder, AVPacket* packet, std::vector<FrameRecord>& records) {
    while (avcodec_receive_packet(encoder, packet) >= 0) {
        records.push_back(RecordFromCinepakFrame(std::span<const uint8_t>(packet->data, size_t(packet->size))));
        av_packet_unref(packet);
    }
}

}  // namespace

std::vector<FrameRecord> EncodeWithFfmpegCinepak(std::span<const std::vector<uint8_t>> pictures, int width, int height,
                                                 int keyInterval) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_CINEPAK);
    if (!codec) throw std::runtime_error("FFmpeg has no Cinepak encoder");
    ffmpeg::CodecContextPtr encoder(avcodec_alloc_context3(codec));
    ffmpeg::FramePtr frame(av_frame_alloc());
    ffmpeg::PacketPtr packet(av_packet_alloc());
    if (!encoder || !frame || !packet) throw std::bad_alloc();
    encoder->width = width;
    encoder->height = height;
    encoder->pix_fmt = AV_PIX_FMT_RGB24;
    encoder->time_base = {1, 30};
    encoder->gop_size = keyInterval;
    av_opt_set_int(encoder->priv_data, "max_strips", 1, 0);
    av_opt_set_int(encoder->priv_data, "min_strips", 1, 0);
    if (avcodec_open2(encoder.get(), codec, nullptr) < 0) throw std::runtime_error("Cinepak encoder refused to open");
    frame->format = AV_PIX_FMT_RGB24;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0) throw std::bad_alloc();
    std::vector<FrameRecord> records;
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (av_frame_make_writable(frame.get()) < 0) throw std::bad_alloc();
        for (int y = 0; y < height; ++y)
            std::memcpy(frame->data[0] + ptrdiff_t(y) * frame->linesize[0], &pictures[i][size_t(y) * width * 3],
                        size_t(width) * 3);
        frame->pts = int64_t(i);
        if (avcodec_send_frame(encoder.get(), frame.get()) < 0) throw std::runtime_error("Cinepak encoder failed");
        Drain(encoder.get(), packet.get(), records);
    }
    avcodec_send_frame(encoder.get(), nullptr);
    Drain(encoder.get(), packet.get(), records);
    return records;
}
