// Converting a 60-second 1920 x 1080 H.264 movie with AAC sound (MP4, 3 B-frames, grain) with
// the default settings, against FFmpeg decoding the same file alone (picture and sound, the
// threads FFmpeg chooses) in the same run, the two alternating: the ratio of their wall times,
// the realtime factor, and where the conversion's processor time goes.
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <cstdio>
#include <thread>

#include "bench/job/ConversionStages.h"
#include "resources/sample/SampleScene.h"
#include "source/DecodingOptions.h"
#include "source/FfmpegHandles.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr int kSeconds = 60;
constexpr int kFramesPerSecond = 24;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRounds = 2;

// The landscape with a film's grain of up to 8 levels either way, new in every frame: what
// makes real movies costly to decode.
bool MakeMovie(const std::string& path) {
    FixtureMovie movie = SampleMovie(kWidth, kHeight, kFramesPerSecond, kSeconds);
    movie.container = "mp4";
    movie.video->codec = AV_CODEC_ID_H264;
    movie.video->maxBFrames = 3;
    movie.audio->codec = AV_CODEC_ID_AAC;
    movie.video->draw = [](int frame, std::span<Rgb> picture) {
        DrawSampleLandscape(frame, kFramesPerSecond, kWidth, kHeight, picture);
        uint32_t state = uint32_t(frame) * 2654435761u + 1;
        for (Rgb& point : picture) {
            state = state * 1664525u + 1013904223u;
            const int grain = int(state >> 28) - 8;
            auto add = [grain](uint8_t value) { return uint8_t(std::clamp(value + grain, 0, 255)); };
            point = {add(point.r), add(point.g), add(point.b)};
        }
    };
    std::string message;
    if (WriteFixtureMovie(path, movie, message) == FixtureStatus::Written) return true;
    std::printf("cannot make the movie: %s\n", message.c_str());
    return false;
}

// Decodes every packet of the picture and the sound, as FFmpeg's own tool does with no output.
bool DecodeOnly(const std::string& path) {
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) return false;
    const ffmpeg::FormatContextPtr input(opened);
    if (avformat_find_stream_info(input.get(), nullptr) < 0) return false;
    std::vector<ffmpeg::CodecContextPtr> decoders(input->nb_streams);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters& parameters = *input->streams[i]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(parameters.codec_id);
        if (!codec || (parameters.codec_type != AVMEDIA_TYPE_VIDEO && parameters.codec_type != AVMEDIA_TYPE_AUDIO)) continue;
        decoders[i].reset(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(decoders[i].get(), &parameters);
        decoders[i]->thread_count = 0;
        if (avcodec_open2(decoders[i].get(), codec, nullptr) < 0) return false;
    }
    const ffmpeg::PacketPtr packet(av_packet_alloc());
    const ffmpeg::FramePtr frame(av_frame_alloc());
    auto drain = [&](AVCodecContext& decoder, const AVPacket* sent) {
        avcodec_send_packet(&decoder, sent);
        while (avcodec_receive_frame(&decoder, frame.get()) == 0) av_frame_unref(frame.get());
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (AVCodecContext* decoder = decoders[size_t(packet->stream_index)].get()) drain(*decoder, packet.get());
        av_packet_unref(packet.get());
    }
    for (const ffmpeg::CodecContextPtr& decoder : decoders)
        if (decoder) drain(*decoder, nullptr);
    return true;
}

}  // namespace

int main() {
    av_log_set_level(AV_LOG_ERROR);
    // A folder of this process's own: benchmarks run at the same time do not share files.
    const ScratchFolder folder;
    StageRun run{.movie = folder.File("movie.mp4"), .output = folder.File("movie.gba"), .seconds = kSeconds,
                 .sourceWidth = kWidth, .sourceHeight = kHeight, .outputWidth = 240, .outputHeight = 136,
                 .frameBudget = 10240};  // 120 KB/s at the 12 fps the automatic rate keeps
    std::puts("making a 60 s 1920 x 1080 24 fps H.264 movie with AAC stereo sound...");
    if (!MakeMovie(run.movie)) return 1;

    Cost bestWhole{0, 1e9};
    for (int round = 0; round < kRounds; ++round) {
        const Cost decode = Measure([&] { DecodeOnly(run.movie); });
        bool converted = false;
        const Cost whole = Measure([&] { converted = Convert(run.movie, run.output); });
        if (!converted) return 1;
        std::printf("round %d: FFmpeg decoding alone %.2f s wall (%.2f s processor), conversion %.2f s wall "
                    "(%.2f s processor): ratio %.2f (goal at most 0.70), %.1fx realtime\n",
                    round + 1, decode.wall, decode.cpu, whole.wall, whole.cpu, whole.wall / decode.wall,
                    kSeconds / whole.wall);
        if (whole.wall < bestWhole.wall) bestWhole = whole;
    }
    std::printf("decoded %lld pictures, converted %lld\n", (long long)ProcessDecodingCounts().decoded.load(),
                (long long)ProcessDecodingCounts().converted.load());

    // Every picture decoded and converted, on the decoder threads FFmpeg would choose.
    ProcessDecodingOptions().leaveOutUnshown = false;
    ProcessDecodingOptions().decoderThreads = int(std::thread::hardware_concurrency()) + 1;
    const Cost decode = Measure([&] { DecodeOnly(run.movie); });
    const Cost plain = Measure([&] { Convert(run.movie, run.output); });
    std::printf("without the shortcuts: FFmpeg %.2f s, conversion %.2f s wall (%.2f s processor): ratio %.2f\n",
                decode.wall, plain.wall, plain.cpu, plain.wall / decode.wall);
    ProcessDecodingOptions().leaveOutUnshown = true;
    ProcessDecodingOptions().decoderThreads = 0;

    PrintConversionStages(run, bestWhole);
    return 0;
}
