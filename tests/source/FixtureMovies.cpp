#include "tests/source/FixtureMovies.h"

#include "source/FfmpegHandles.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

namespace {

using ffmpeg::FramePtr;

constexpr int kPcmFrameSamples = 1024;

struct Track {
    ffmpeg::CodecContextPtr codec;
    AVStream* stream = nullptr;
};

AVPixelFormat PixelFormatFor(const FixtureVideo& video, const AVCodec& encoder) {
    if (video.pixelFormat != AV_PIX_FMT_NONE) return video.pixelFormat;
    switch (encoder.id) {
        case AV_CODEC_ID_RAWVIDEO: return AV_PIX_FMT_BGR24;
        case AV_CODEC_ID_MJPEG: return AV_PIX_FMT_YUVJ420P;
        default: return encoder.pix_fmts ? encoder.pix_fmts[0] : AV_PIX_FMT_YUV420P;
    }
}

AVSampleFormat SampleFormatFor(const AVCodec& encoder) {
    if (!encoder.sample_fmts) return AV_SAMPLE_FMT_S16;
    return encoder.sample_fmts[0];
}

class Writer {
public:
    Writer(const FixtureMovie& movie, std::string& message) : movie(movie), message(message) {}

    FixtureStatus Write(const std::string& path) {
        AVFormatContext* raw = nullptr;
        if (avformat_alloc_output_context2(&raw, nullptr, movie.container, path.c_str()) < 0) return Fail("no muxer");
        output.reset(raw);
        if (movie.audioFirst && movie.audio && !AddAudio()) return status;
        if (movie.video && !AddVideo()) return status;
        if (!movie.audioFirst && movie.audio && !AddAudio()) return status;
        if (avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return Fail("cannot create " + path);
        if (avformat_write_header(output.get(), nullptr) < 0) return Fail("header refused");
        if (!WriteStreams()) return status;
        if (av_write_trailer(output.get()) < 0) return Fail("trailer refused");
        return FixtureStatus::Written;
    }

private:
    FixtureStatus Fail(const std::string& why, FixtureStatus kind = FixtureStatus::Failed) {
        message = why;
        status = kind;
        return kind;
    }

    bool OpenTrack(Track& track, const AVCodec* encoder, AVRational timeBase) {
        if (output->oformat->flags & AVFMT_GLOBALHEADER) track.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        track.codec->time_base = timeBase;
        if (avcodec_open2(track.codec.get(), encoder, nullptr) < 0) return Fail("encoder refused its settings"), false;
        track.stream = avformat_new_stream(output.get(), nullptr);
        if (!track.stream || avcodec_parameters_from_context(track.stream->codecpar, track.codec.get()) < 0)
            return Fail("no stream"), false;
        track.stream->time_base = timeBase;
        return true;
    }

    // H.264 has no encoder of FFmpeg's own; the settings below are libx264's.
    const AVCodec* FindEncoder(AVCodecID id) {
        const AVCodec* encoder = id == AV_CODEC_ID_H264 ? avcodec_find_encoder_by_name("libx264") : avcodec_find_encoder(id);
        if (!encoder)
            Fail(std::string("FFmpeg here has no ") + (id == AV_CODEC_ID_H264 ? "libx264" : avcodec_get_name(id)) +
                     " encoder to make this fixture",
                 FixtureStatus::EncoderMissing);
        return encoder;
    }

    bool AddVideo() {
        const FixtureVideo& wanted = *movie.video;
        const AVCodec* encoder = FindEncoder(wanted.codec);
        if (!encoder) return false;
        video.codec.reset(avcodec_alloc_context3(encoder));
        AVCodecContext& codec = *video.codec;
        codec.width = wanted.width;
        codec.height = wanted.height;
        codec.pix_fmt = PixelFormatFor(wanted, *encoder);
        codec.framerate = wanted.frameRate;
        codec.sample_aspect_ratio = wanted.sampleAspect;
        codec.gop_size = wanted.keyFrameInterval;
        codec.max_b_frames = wanted.maxBFrames;
        // Stated for the program stream muxer, which paces its packs by it; generous for these sizes.
        codec.bit_rate = 4'000'000;
        // Fine quantisers keep the colour blocks and frame-number bits easy to read back.
        if (wanted.codec == AV_CODEC_ID_H264) {
            av_opt_set(codec.priv_data, "preset", wanted.x264Preset, 0);
            av_opt_set_int(codec.priv_data, "crf", wanted.x264Quality, 0);
        } else {
            codec.flags |= AV_CODEC_FLAG_QSCALE;
            codec.global_quality = FF_QP2LAMBDA * 2;
        }
        const AVRational timeBase = wanted.timeBase.num ? wanted.timeBase : av_inv_q(wanted.frameRate);
        if (!OpenTrack(video, encoder, timeBase)) return false;
        // Muxers with a frame rate field of their own (Matroska's default duration) state it.
        video.stream->avg_frame_rate = wanted.frameRate;
        video.stream->sample_aspect_ratio = wanted.sampleAspect;
        if (wanted.displayMatrix) {
            const size_t size = sizeof *wanted.displayMatrix;
            uint8_t* data = av_stream_new_side_data(video.stream, AV_PKT_DATA_DISPLAYMATRIX, size);
            if (!data) return Fail("no display matrix"), false;
            std::memcpy(data, wanted.displayMatrix->data(), size);
        }
        for (int index = 0; index <= wanted.frameCount; ++index)
            videoPts.push_back(wanted.pts ? wanted.pts(index) : index);
        return true;
    }

    bool AddAudio() {
        const FixtureAudio& wanted = *movie.audio;
        const AVCodec* encoder = FindEncoder(wanted.codec);
        if (!encoder) return false;
        audio.codec.reset(avcodec_alloc_context3(encoder));
        AVCodecContext& codec = *audio.codec;
        codec.sample_fmt = SampleFormatFor(*encoder);
        codec.sample_rate = wanted.sampleRate;
        av_channel_layout_from_mask(&codec.ch_layout, wanted.channelMask);
        if (wanted.codec == AV_CODEC_ID_MP2 || wanted.codec == AV_CODEC_ID_AAC) codec.bit_rate = 192000;
        return OpenTrack(audio, encoder, AVRational{1, wanted.sampleRate});
    }

    bool Send(Track& track, const AVFrame* frame) {
        if (avcodec_send_frame(track.codec.get(), frame) < 0) return Fail("encoder refused a frame"), false;
        ffmpeg::PacketPtr packet(av_packet_alloc());
        while (avcodec_receive_packet(track.codec.get(), packet.get()) == 0) {
            // Some video encoders leave it out; muxers then guess the last frame's length.
            if (packet->duration == 0 && &track == &video) packet->duration = VideoDuration(packet->pts);
            av_packet_rescale_ts(packet.get(), track.codec->time_base, track.stream->time_base);
            packet->stream_index = track.stream->index;
            if (av_interleaved_write_frame(output.get(), packet.get()) < 0) return Fail("muxer refused a packet"), false;
        }
        return true;
    }

    bool PrepareVideo() {
        const FixtureVideo& wanted = *movie.video;
        rgb.reset(av_frame_alloc());
        picture.reset(av_frame_alloc());
        rgb->format = AV_PIX_FMT_RGB24;
        picture->format = video.codec->pix_fmt;
        for (AVFrame* frame : {rgb.get(), picture.get()}) {
            frame->width = wanted.width;
            frame->height = wanted.height;
            if (av_frame_get_buffer(frame, 0) < 0) return Fail("no picture buffer"), false;
        }
        if (picture->format == AV_PIX_FMT_PAL8) return true;  // swscale makes no palettes: IndexColours does
        converter.reset(sws_getContext(wanted.width, wanted.height, AV_PIX_FMT_RGB24, wanted.width, wanted.height,
                                       AVPixelFormat(picture->format), SWS_POINT, nullptr, nullptr, nullptr));
        return converter || (Fail("no converter"), false);
    }

    // The drawn picture as indices into a palette of 3 bits red, 3 bits green, 2 bits blue.
    void IndexColours() {
        uint32_t* palette = reinterpret_cast<uint32_t*>(picture->data[1]);
        for (uint32_t index = 0; index < 256; ++index) {
            const uint32_t r = (index >> 5) * 255 / 7, g = (index >> 2 & 7) * 255 / 7, b = (index & 3) * 255 / 3;
            palette[index] = 0xFF000000u | r << 16 | g << 8 | b;
        }
        const FixtureVideo& wanted = *movie.video;
        for (int y = 0; y < wanted.height; ++y)
            for (int x = 0; x < wanted.width; ++x) {
                const Rgb pixel = drawn[size_t(y) * size_t(wanted.width) + size_t(x)];
                picture->data[0][y * picture->linesize[0] + x] = uint8_t((pixel.r >> 5) << 5 | (pixel.g >> 5) << 2 | pixel.b >> 6);
            }
    }

    bool WriteVideoFrame(int index) {
        const FixtureVideo& wanted = *movie.video;
        if (av_frame_make_writable(picture.get()) < 0) return Fail("frame not writable"), false;
        drawn.resize(size_t(wanted.width) * size_t(wanted.height));
        if (wanted.draw)
            wanted.draw(index, drawn);
        else
            for (int y = 0; y < wanted.height; ++y)
                for (int x = 0; x < wanted.width; ++x)
                    drawn[size_t(y) * size_t(wanted.width) + size_t(x)] = FixturePixel(index, x, y, wanted.width, wanted.height);
        for (int y = 0; y < wanted.height; ++y)
            for (int x = 0; x < wanted.width; ++x) {
                const Rgb pixel = drawn[size_t(y) * size_t(wanted.width) + size_t(x)];
                uint8_t* out = rgb->data[0] + y * rgb->linesize[0] + x * 3;
                out[0] = pixel.r;
                out[1] = pixel.g;
                out[2] = pixel.b;
            }
        if (converter)
            sws_scale(converter.get(), rgb->data, rgb->linesize, 0, wanted.height, picture->data, picture->linesize);
        else
            IndexColours();
        picture->pts = videoPts[size_t(index)];
        return Send(video, picture.get());
    }

    // Writes the sound up to sample `end`, so that the muxer gets both streams in step.
    bool WriteAudioUntil(int end) {
        const FixtureAudio& wanted = *movie.audio;
        AVCodecContext& codec = *audio.codec;
        const int frameSamples = codec.frame_size > 0 ? codec.frame_size : kPcmFrameSamples;
        const int channels = codec.ch_layout.nb_channels;
        end = std::min(end, wanted.sampleCount);
        FramePtr frame(av_frame_alloc());
        while (end - audioWritten >= frameSamples || (end == wanted.sampleCount && audioWritten < end)) {
            frame->nb_samples = std::min(frameSamples, end - audioWritten);
            frame->format = codec.sample_fmt;
            frame->sample_rate = codec.sample_rate;
            av_channel_layout_copy(&frame->ch_layout, &codec.ch_layout);
            if (av_frame_get_buffer(frame.get(), 0) < 0) return Fail("no sound buffer"), false;
            for (int i = 0; i < frame->nb_samples; ++i)
                for (int channel = 0; channel < channels; ++channel)
                    Store(*frame, channel, i, audioWritten + i, channels);
            frame->pts = wanted.startSample + audioWritten;
            if (wanted.gapSamples != 0 && audioWritten >= wanted.gapBeforeSample) frame->pts += wanted.gapSamples;
            audioWritten += frame->nb_samples;
            if (!Send(audio, frame.get())) return false;
            av_frame_unref(frame.get());
        }
        return true;
    }

    bool WriteStreams() {
        if (movie.video && !PrepareVideo()) return false;
        const int frameCount = movie.video ? movie.video->frameCount : 0;
        for (int index = 0; index < frameCount; ++index) {
            if (!WriteVideoFrame(index)) return false;
            if (!movie.audio) continue;
            const int64_t soundEnd = av_rescale_q(videoPts[size_t(index) + 1], video.codec->time_base,
                                                  AVRational{1, movie.audio->sampleRate}) - movie.audio->startSample;
            if (!WriteAudioUntil(int(std::max<int64_t>(soundEnd, 0)))) return false;
        }
        if (movie.audio && !(WriteAudioUntil(movie.audio->sampleCount) && Send(audio, nullptr))) return false;
        return !movie.video || Send(video, nullptr);
    }

    // The length of the picture presented at `pts`, in the encoder's ticks; 1 for a time not drawn.
    int64_t VideoDuration(int64_t pts) const {
        const auto at = std::lower_bound(videoPts.begin(), videoPts.end() - 1, pts);
        return at != videoPts.end() - 1 && *at == pts ? at[1] - at[0] : 1;
    }

    void Store(AVFrame& frame, int channel, int i, int index, int channels) const {
        const FixtureAudio& wanted = *movie.audio;
        const int16_t value = FixtureSample16(wanted, channel, index);
        switch (AVSampleFormat(frame.format)) {
            case AV_SAMPLE_FMT_U8: frame.data[0][i * channels + channel] = FixtureSample8(wanted, channel, index); break;
            case AV_SAMPLE_FMT_S16: reinterpret_cast<int16_t*>(frame.data[0])[i * channels + channel] = value; break;
            case AV_SAMPLE_FMT_S16P: reinterpret_cast<int16_t*>(frame.extended_data[channel])[i] = value; break;
            case AV_SAMPLE_FMT_FLTP: reinterpret_cast<float*>(frame.extended_data[channel])[i] = value / 32768.0f; break;
            default: break;
        }
    }

    const FixtureMovie& movie;
    std::string& message;
    FixtureStatus status = FixtureStatus::Failed;
    ffmpeg::OutputFormatPtr output;
    Track video;
    Track audio;
    std::vector<Rgb> drawn;  // the picture as drawn
    FramePtr rgb;            // the same in FFmpeg's frame
    FramePtr picture;  // the picture in the encoder's pixel format
    ffmpeg::SwsPtr converter;
    int audioWritten = 0;
    std::vector<int64_t> videoPts;  // of every picture and of the end of the last one
};

double Tone(const FixtureAudio& audio, int channel, int index) {
    const double hz = channel < int(audio.toneHz.size()) ? audio.toneHz[size_t(channel)] : 0.0;
    return std::sin(2.0 * std::numbers::pi * hz * index / audio.sampleRate);
}

}  // namespace

FixtureMovie ProgramStreamMovie(int frameCount) {
    FixtureMovie mpeg;
    mpeg.container = "mpeg";
    mpeg.video->codec = AV_CODEC_ID_MPEG1VIDEO;
    mpeg.video->frameCount = frameCount;
    mpeg.audio = FixtureAudio{};
    mpeg.audio->codec = AV_CODEC_ID_MP2;
    return mpeg;
}

FixtureStatus WriteFixtureMovie(const std::string& path, const FixtureMovie& movie, std::string& message) {
    return Writer(movie, message).Write(path);
}

Rgb FixturePixel(int frameIndex, int x, int y, int width, int height) {
    if (y < height / 4) {
        const int bit = 7 - x * 8 / width;
        return (frameIndex >> bit) & 1 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    }
    // Grain of +-12 that changes every frame gives the coders real work: frames of a few
    // kilobytes, as in real movies, rather than a few hundred bytes.
    const uint32_t hash = (uint32_t(x) * 7919u + uint32_t(y) * 104729u + uint32_t(frameIndex) * 15485863u) * 2654435761u;
    const int grain = int(hash >> 24) % 25 - 12;
    const auto level = [grain](bool high) { return uint8_t((high ? 220 : 30) + grain); };
    const bool left = x < width / 2;
    const bool upper = y < height * 5 / 8;
    if (upper) return left ? Rgb{level(true), level(false), level(false)} : Rgb{level(false), level(true), level(false)};
    return left ? Rgb{level(false), level(false), level(true)} : Rgb{level(true), level(true), level(false)};
}

int16_t FixtureSample16(const FixtureAudio& audio, int channel, int index) {
    if (audio.sound) return audio.sound(channel, index);
    return int16_t(std::lrint(8000.0 * Tone(audio, channel, index)));
}

uint8_t FixtureSample8(const FixtureAudio& audio, int channel, int index) {
    if (audio.sound) return uint8_t(128 + (audio.sound(channel, index) >> 8));
    return uint8_t(128 + std::lrint(100.0 * Tone(audio, channel, index)));
}
