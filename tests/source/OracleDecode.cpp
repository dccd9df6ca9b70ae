#include "tests/source/OracleDecode.h"

#include "source/internal/Ffmpeg.h"

std::vector<std::vector<uint8_t>> DecodePicturesWithFFmpeg(const std::string& path) {
    std::vector<std::vector<uint8_t>> pictures;
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) return pictures;
    const ffmpeg::FormatContextPtr input(opened);
    if (avformat_find_stream_info(input.get(), nullptr) < 0) return pictures;
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) return pictures;
    const AVStream& stream = *input->streams[index];
    const AVCodec* decoder = avcodec_find_decoder(stream.codecpar->codec_id);
    const ffmpeg::CodecContextPtr codec(avcodec_alloc_context3(decoder));
    avcodec_parameters_to_context(codec.get(), stream.codecpar);
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return pictures;
    const ffmpeg::PacketPtr packet(av_packet_alloc());
    const ffmpeg::FramePtr frame(av_frame_alloc());
    ffmpeg::SwsPtr scaler;
    const auto receive = [&] {
        while (avcodec_receive_frame(codec.get(), frame.get()) == 0) {
            scaler.reset(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                        frame->height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
            // Into FFmpeg's own padded frame: swscale may write past a row's last pixel.
            const ffmpeg::FramePtr bgr(av_frame_alloc());
            bgr->format = AV_PIX_FMT_BGR24;
            bgr->width = frame->width;
            bgr->height = frame->height;
            if (av_frame_get_buffer(bgr.get(), 0) < 0) return;
            sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, bgr->data, bgr->linesize);
            std::vector<uint8_t>& picture = pictures.emplace_back();
            for (int row = 0; row < frame->height; ++row)
                picture.insert(picture.end(), bgr->data[0] + ptrdiff_t(row) * bgr->linesize[0],
                               bgr->data[0] + ptrdiff_t(row) * bgr->linesize[0] + frame->width * 3);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(codec.get(), packet.get()) >= 0) receive();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(codec.get(), nullptr);
    receive();
    return pictures;
}
