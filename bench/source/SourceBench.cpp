// How fast the source delivers a movie's pictures (bottom-up B,G,R) and sound (16-bit PCM)
// through its threads, against a plain FFmpeg loop that decodes the same file to the same
// formats on one thread. The two run in alternating rounds at the same (idle) priority, and
// the fastest round of each counts, so that other work on a shared machine weighs on both alike.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "platform/ThreadPriority.h"
#include "source/MediaSource.h"
#include "source/SampleGrabberCB.h"
#include "source/internal/Ffmpeg.h"
#include "tests/source/FixtureMovies.h"
#include "video/MovieEncoder.h"

namespace {

constexpr int kSeconds = 10;
constexpr int kFrames = 30 * kSeconds;
constexpr int kRounds = 7;

struct BenchMovie {
    const char* name;
    FixtureMovie movie;
    std::string path;
};

// 320 x 240 at 30 frames per second with 44100 Hz stereo sound, in two common kinds.
std::vector<BenchMovie> Movies(const std::filesystem::path& folder) {
    const FixtureVideo video{.width = 320, .height = 240, .frameRate = {30, 1}, .frameCount = kFrames};
    const FixtureAudio sound{.sampleCount = 44100 * kSeconds};
    FixtureMovie mp4{.container = "mp4", .video = video, .audio = sound};
    mp4.video->codec = AV_CODEC_ID_H264;
    mp4.audio->codec = AV_CODEC_ID_AAC;
    FixtureMovie avi{.video = video, .audio = sound};
    avi.video->codec = AV_CODEC_ID_MJPEG;
    return {{"h264_aac_mp4", mp4, (folder / "movie.mp4").string()},
            {"mjpeg_pcm_avi", avi, (folder / "movie.avi").string()}};
}

// Counts what a grabber delivers.
class CountingCallback final : public ISampleGrabberCB {
public:
    HRESULT QueryInterface(const GUID&, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    uint32_t AddRef() override { return 2; }
    uint32_t Release() override { return 1; }
    HRESULT SampleCB(double, IMediaSample*) override { return E_NOTIMPL; }
    HRESULT BufferCB(double, uint8_t*, int32_t) override {
        ++buffers;
        return S_OK;
    }
    uint64_t buffers = 0;
};

// The reference: FFmpeg's usual read / send / receive loop on one thread, with the same
// conversions as the source and decoders free to pick their thread count, as the source's are.
class PlainDecode {
public:
    // Answers the pictures decoded; -1 on failure.
    int64_t Run(const std::string& path) {
        AVFormatContext* opened = nullptr;
        if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) return -1;
        input.reset(opened);
        if (avformat_find_stream_info(input.get(), nullptr) < 0) return -1;
        videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        audioIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
        if (videoIndex < 0 || audioIndex < 0) return -1;
        video = Open(*input->streams[videoIndex]);
        audio = Open(*input->streams[audioIndex]);
        if (!video || !audio || !Prepare()) return -1;
        while (av_read_frame(input.get(), packet.get()) >= 0) {
            if (packet->stream_index == videoIndex) Decode(*video, packet.get());
            if (packet->stream_index == audioIndex) Decode(*audio, packet.get());
            av_packet_unref(packet.get());
        }
        Decode(*video, nullptr);
        Decode(*audio, nullptr);
        return pictures;
    }

private:
    static ffmpeg::CodecContextPtr Open(const AVStream& stream) {
        const AVCodec* decoder = avcodec_find_decoder(stream.codecpar->codec_id);
        ffmpeg::CodecContextPtr codec(avcodec_alloc_context3(decoder));
        if (!codec || avcodec_parameters_to_context(codec.get(), stream.codecpar) < 0) return nullptr;
        codec->pkt_timebase = stream.time_base;
        codec->thread_count = 0;
        if (avcodec_open2(codec.get(), decoder, nullptr) < 0) return nullptr;
        return codec;
    }

    bool Prepare() {
        packet.reset(av_packet_alloc());
        frame.reset(av_frame_alloc());
        stride = (video->width * 3 + 3) & ~3;
        picture.assign(size_t(stride) * size_t(video->height), 0);
        scaler.reset(sws_getContext(video->width, video->height, video->pix_fmt, video->width, video->height,
                                    AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* made = nullptr;
        swr_alloc_set_opts2(&made, &stereo, AV_SAMPLE_FMT_S16, audio->sample_rate, &audio->ch_layout,
                            audio->sample_fmt, audio->sample_rate, 0, nullptr);
        resampler.reset(made);
        return packet && frame && scaler && resampler && swr_init(resampler.get()) >= 0;
    }

    void Decode(AVCodecContext& codec, const AVPacket* sent) {
        avcodec_send_packet(&codec, sent);
        while (avcodec_receive_frame(&codec, frame.get()) == 0) {
            if (&codec == video.get()) {
                uint8_t* const rows[4] = {picture.data() + size_t(stride) * size_t(video->height - 1)};
                const int strides[4] = {-stride};
                sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, rows, strides);
                ++pictures;
            } else {
                pcm.resize(size_t(swr_get_out_samples(resampler.get(), frame->nb_samples)) * 4);
                uint8_t* out = pcm.data();
                swr_convert(resampler.get(), &out, int(pcm.size() / 4),
                            const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            }
            av_frame_unref(frame.get());
        }
    }

    ffmpeg::FormatContextPtr input;
    ffmpeg::CodecContextPtr video, audio;
    ffmpeg::PacketPtr packet;
    ffmpeg::FramePtr frame;
    ffmpeg::SwsPtr scaler;
    ffmpeg::SwrPtr resampler;
    int videoIndex = -1, audioIndex = -1;
    int stride = 0;
    std::vector<uint8_t> picture, pcm;
    int64_t pictures = 0;
};

// Builds the source around an encoder, lets counters stand in for the sinks and runs it.
int64_t RunSource(const std::string& path) {
    MovieEncoder encoder;
    if (!encoder.SetParameters(Trims{}, false, -1, -1, 0, 0, 120)) return -1;
    CountingCallback pictures, sound;
    std::unique_ptr<SourceGraph> graph;
    if (!BuildSourceGraph(graph, path, encoder)) return -1;
    graph->VideoGrabber().SetCallback(ComPtr<ISampleGrabberCB>(&pictures));
    graph->AudioGrabber().SetCallback(ComPtr<ISampleGrabberCB>(&sound));
    if (!RunSourceGraph(*graph)) return -1;
    return int64_t(pictures.buffers);
}

struct Timing {
    double wallMs = 1e300;
    double cpuMs = 1e300;  // all threads of the process
};

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Runs one decode on a thread at background priority, as the dialog's conversion threads run; keeps the
// fastest wall and processor times. False when it failed or missed pictures.
template <class Decode>
bool Measure(Timing& best, Decode decode) {
    int64_t pictures = -1;
    const double cpuBefore = ProcessCpuMs();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::thread([&] {
        SetCurrentThreadBackgroundPriority();
        pictures = decode();
    }).join();
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - wallBefore;
    best.wallMs = std::min(best.wallMs, wall.count());
    best.cpuMs = std::min(best.cpuMs, ProcessCpuMs() - cpuBefore);
    return pictures == kFrames;
}

}  // namespace

int main() {
    av_log_set_level(AV_LOG_ERROR);
    std::string pattern = (std::filesystem::temp_directory_path() / "kavro-source-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    const std::filesystem::path folder = pattern;
    const std::vector<BenchMovie> movies = Movies(folder);
    int status = 0;
    fmt::print("Delivery speed of the source against plain FFmpeg decoding, fastest of {} alternating rounds\n"
               "({} pictures of 320 x 240 and {} s of 44100 Hz stereo sound per file; target: ratio at least 0.8)\n",
               kRounds, kFrames, kSeconds);
    for (const BenchMovie& movie : movies) {
        std::string message;
        if (WriteFixtureMovie(movie.path, movie.movie, message) != FixtureStatus::Written) {
            fmt::print("  {:<14} cannot be made: {}\n", movie.name, message);
            status = 1;
            continue;
        }
        Timing plain, source;
        bool ok = true;
        for (int round = 0; round < kRounds; ++round) {
            ok = Measure(plain, [&] { return PlainDecode().Run(movie.path); }) && ok;
            ok = Measure(source, [&] { return RunSource(movie.path); }) && ok;
        }
        if (!ok) {
            fmt::print("  {:<14} a decode failed or missed pictures\n", movie.name);
            status = 1;
            continue;
        }
        fmt::print("  {:<14} plain {:6.1f} ms, source {:6.1f} ms: ratio {:.2f}   (processor time {:6.1f} / {:6.1f} ms: "
                   "{:.2f})\n",
                   movie.name, plain.wallMs, source.wallMs, plain.wallMs / source.wallMs, plain.cpuMs, source.cpuMs,
                   plain.cpuMs / source.cpuMs);
    }
    std::filesystem::remove_all(folder);
    return status;
}
