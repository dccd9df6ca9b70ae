#include "source/PictureAt.h"

#include <algorithm>

#include "source/internal/Ffmpeg.h"
#include "source/internal/PictureOrientation.h"
#include "source/internal/ShownPictureScaler.h"

namespace {

struct OpenMovie {
    ffmpeg::FormatContextPtr format;
    ffmpeg::CodecContextPtr codec;
    int stream = -1;
};

int Open(const std::string& path, OpenMovie& movie) {
    AVFormatContext* format = nullptr;
    if (const int status = avformat_open_input(&format, path.c_str(), nullptr, nullptr); status < 0) return status;
    movie.format.reset(format);
    if (const int status = avformat_find_stream_info(format, nullptr); status < 0) return status;
    const AVCodec* decoder = nullptr;
    movie.stream = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (movie.stream < 0) return movie.stream;
    movie.codec.reset(avcodec_alloc_context3(decoder));
    if (!movie.codec) return AVERROR(ENOMEM);
    if (const int status = avcodec_parameters_to_context(movie.codec.get(), format->streams[movie.stream]->codecpar);
        status < 0)
        return status;
    return avcodec_open2(movie.codec.get(), decoder, nullptr);
}

// The frame's time in microseconds from the stream's start.
int64_t FrameUs(const AVFrame& frame, const AVStream& stream) {
    const int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
    const int64_t pts = frame.best_effort_timestamp == AV_NOPTS_VALUE ? start : frame.best_effort_timestamp;
    return av_rescale_q(pts - start, stream.time_base, AV_TIME_BASE_Q);
}

// Decodes from where the input stands to the first frame at or after `timeUs` into `frame`;
// one before it when the stream ends first. False when not a single frame was decoded.
bool DecodeTo(OpenMovie& movie, int64_t timeUs, AVFrame& frame) {
    const ffmpeg::PacketPtr packet(av_packet_alloc());
    const ffmpeg::FramePtr decoded(av_frame_alloc());
    if (!packet || !decoded) return false;
    const AVStream& stream = *movie.format->streams[movie.stream];
    bool any = false;
    for (bool input = true;;) {
        if (input) {
            const int read = av_read_frame(movie.format.get(), packet.get());
            if (read < 0) {
                avcodec_send_packet(movie.codec.get(), nullptr);
                input = false;
            } else {
                if (packet->stream_index == movie.stream) avcodec_send_packet(movie.codec.get(), packet.get());
                av_packet_unref(packet.get());
            }
        }
        for (;;) {
            const int got = avcodec_receive_frame(movie.codec.get(), decoded.get());
            if (got == AVERROR_EOF) return any;
            if (got < 0) break;
            av_frame_unref(&frame);
            av_frame_move_ref(&frame, decoded.get());
            any = true;
            if (FrameUs(frame, stream) >= timeUs) return true;
        }
        if (!input && !any) return false;
    }
}

// Cuts the frame to the box's shape about its middle.
void CropTo(AVFrame& frame, int width, int height) {
    const int64_t wide = int64_t(frame.width) * height;
    const int64_t tall = int64_t(frame.height) * width;
    if (wide > tall) {
        const int keep = int(tall / height);
        frame.crop_left = size_t(frame.width - keep) / 2;
        frame.crop_right = size_t(frame.width - keep) - frame.crop_left;
    } else if (tall > wide) {
        const int keep = int(wide / width);
        frame.crop_top = size_t(frame.height - keep) / 2;
        frame.crop_bottom = size_t(frame.height - keep) - frame.crop_top;
    }
    av_frame_apply_cropping(&frame, AV_FRAME_CROP_UNALIGNED);
}

std::optional<Picture> Scaled(const AVFrame& frame, int width, int height) {
    const ffmpeg::SwsPtr scaler(sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), width, height,
                                               AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr));
    if (!scaler) return std::nullopt;
    // swscale may write past a row's last pixel: its own buffer, copied row by row.
    const ffmpeg::FramePtr rgb(av_frame_alloc());
    if (!rgb) return std::nullopt;
    rgb->width = width;
    rgb->height = height;
    rgb->format = AV_PIX_FMT_RGB24;
    if (av_frame_get_buffer(rgb.get(), 0) < 0) return std::nullopt;
    sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, rgb->data, rgb->linesize);
    Picture picture{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    for (int row = 0; row < height; ++row)
        std::copy_n(rgb->data[0] + ptrdiff_t(row) * rgb->linesize[0], size_t(width) * 3,
                    picture.rgb.begin() + ptrdiff_t(row) * width * 3);
    return picture;
}

// Opens the movie and decodes its first frame at or after `timeUs` into `frame`.
bool FrameAt(const std::string& path, int64_t timeUs, OpenMovie& movie, AVFrame& frame, std::string& error) {
    if (const int status = Open(path, movie); status < 0) {
        error = ffmpeg::ErrorText(status);
        return false;
    }
    const AVStream& stream = *movie.format->streams[movie.stream];
    const int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
    const int64_t target = start + av_rescale_q(timeUs, AV_TIME_BASE_Q, stream.time_base);
    // From the key frame before the time; a file that cannot seek is read from its start.
    if (av_seek_frame(movie.format.get(), movie.stream, target, AVSEEK_FLAG_BACKWARD) >= 0)
        avcodec_flush_buffers(movie.codec.get());
    if (!DecodeTo(movie, timeUs, frame)) {
        error = "映像を読み出せません";
        return false;
    }
    return true;
}

}  // namespace

std::optional<Picture> PictureAt(const std::string& path, int64_t timeUs, int width, int height, std::string& error) {
    OpenMovie movie;
    const ffmpeg::FramePtr frame(av_frame_alloc());
    if (!frame || !FrameAt(path, timeUs, movie, *frame, error)) return std::nullopt;
    CropTo(*frame, width, height);
    std::optional<Picture> picture = Scaled(*frame, width, height);
    if (!picture) error = "映像を縮小できません";
    return picture;
}

std::optional<std::vector<uint8_t>> ShownPictureAt(const std::string& path, int64_t timeUs, std::string& error) {
    OpenMovie movie;
    const ffmpeg::FramePtr frame(av_frame_alloc());
    const ffmpeg::FramePtr scaled(av_frame_alloc());
    if (!frame || !scaled || !FrameAt(path, timeUs, movie, *frame, error)) return std::nullopt;
    const PictureOrientation orientation = OrientationOf(*movie.format->streams[movie.stream]);
    scaled->format = AV_PIX_FMT_BGR24;
    scaled->width = orientation.squareWidth;
    scaled->height = orientation.squareHeight;
    const ffmpeg::SwsPtr scaler = ShownPictureScaler(*frame, scaled->width, scaled->height);
    if (!scaler || av_frame_get_buffer(scaled.get(), 0) < 0 ||
        sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, scaled->data, scaled->linesize) !=
            scaled->height) {
        error = "映像を変換できません";
        return std::nullopt;
    }
    const size_t stride = (size_t(orientation.DisplayWidth()) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> picture(stride * size_t(orientation.DisplayHeight()), 0);
    TurnPicture(scaled->data[0], size_t(scaled->linesize[0]), scaled->width, scaled->height, orientation.clockwiseTurns,
                picture.data(), stride);
    return picture;
}
