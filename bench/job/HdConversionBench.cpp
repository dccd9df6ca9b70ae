// Converting a 60-second 1920 x 1080 H.264 movie with AAC sound (MP4 as downloads have it, grain) with
// the default settings, against FFmpeg decoding the same file alone (picture and sound, the
// threads FFmpeg chooses) in the same run, the two alternating: the ratio of their wall times,
// the realtime factor, and where the conversion's processor time goes. Also what leaving out the
// loop filter or decoding a camera's MJPEG at reduced resolution, which FFmpeg offers, would
// save the decoding and change in the pictures.
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <functional>
#include <thread>
#include <utility>

#include "bench/job/ConversionStages.h"
#include "resources/sample/SampleScene.h"
#include "source/DecodingOptions.h"
#include "source/FfmpegHandles.h"
#include "source/internal/ShownPictureScaler.h"
#include "tests/cinepak/oracle/FfmpegCinepak.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr int kSeconds = 60;
constexpr int kFramesPerSecond = 24;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRounds = 2;

bool MakeMovie(const std::string& path) {
    std::string message;
    if (WriteFixtureMovie(path, DownloadedSampleMovie(kWidth, kHeight, kFramesPerSecond, kSeconds), message) ==
        FixtureStatus::Written)
        return true;
    std::printf("cannot make the movie: %s\n", message.c_str());
    return false;
}

// How the decoding is done: the pictures whose loop filter is left out, and what sees each
// decoded picture.
struct DecodeWay {
    AVDiscard loopFilter = AVDISCARD_DEFAULT;
    int lowres = 0;  // pictures decoded at 1/2^lowres of their size
    std::function<void(const AVFrame&)> picture;
};

// Decodes every packet of the picture and the sound, as FFmpeg's own tool does with no output.
bool DecodeOnly(const std::string& path, const DecodeWay& way = {}) {
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
        decoders[i]->skip_loop_filter = way.loopFilter;
        if (parameters.codec_type == AVMEDIA_TYPE_VIDEO) decoders[i]->lowres = way.lowres;
        if (avcodec_open2(decoders[i].get(), codec, nullptr) < 0) return false;
    }
    const ffmpeg::PacketPtr packet(av_packet_alloc());
    const ffmpeg::FramePtr frame(av_frame_alloc());
    auto drain = [&](AVCodecContext& decoder, const AVPacket* sent) {
        avcodec_send_packet(&decoder, sent);
        while (avcodec_receive_frame(&decoder, frame.get()) == 0) {
            if (way.picture && decoder.codec_type == AVMEDIA_TYPE_VIDEO) way.picture(*frame);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (AVCodecContext* decoder = decoders[size_t(packet->stream_index)].get()) drain(*decoder, packet.get());
        av_packet_unref(packet.get());
    }
    for (const ffmpeg::CodecContextPtr& decoder : decoders)
        if (decoder) drain(*decoder, nullptr);
    return true;
}

// Converts every decoded picture into width x height points of 3 bytes with one scaler, made
// for the first picture; keeps every converted picture, or only the last.
class ConvertedPictures {
public:
    using MakeScaler = std::function<ffmpeg::SwsPtr(const AVFrame&, int width, int height)>;

    ConvertedPictures(int width, int height, MakeScaler makeScaler, bool keepAll)
        : width(width), height(height), makeScaler(std::move(makeScaler)), keepAll(keepAll) {}

    void operator()(const AVFrame& frame) {
        if (!scaler) scaler = makeScaler(frame, width, height);
        if (keepAll || pictures.empty()) pictures.emplace_back();
        std::vector<uint8_t>& picture = pictures.back();
        picture.resize(size_t(width) * 3 * size_t(height) + kPadding);
        uint8_t* planes[4] = {picture.data()};
        const int strides[4] = {width * 3};
        sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides);
        picture.resize(picture.size() - kPadding);
    }

    std::vector<std::vector<uint8_t>> pictures;

private:
    static constexpr size_t kPadding = 64;  // swscale may write a little past the last pixel
    const int width, height;
    const MakeScaler makeScaler;
    const bool keepAll;
    ffmpeg::SwsPtr scaler;
};

// The decoded pictures area-averaged to the handheld's 240 x 136, as R, G, B.
ConvertedPictures SmallPictures() {
    return ConvertedPictures(240, 136, [](const AVFrame& frame, int width, int height) {
        return ffmpeg::SwsPtr(sws_getContext(frame.width, frame.height, AVPixelFormat(frame.format), width, height,
                                             AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr));
    }, true);
}

// What leaving the loop filter out of some pictures saves FFmpeg's decoding of the movie, and
// how far it moves the pictures once they are as small as the handheld's.
void MeasureLoopFilterShortcuts(const std::string& movie) {
    ConvertedPictures full = SmallPictures();
    const Cost fullCost = Measure([&] { DecodeOnly(movie, {.picture = std::ref(full)}); });
    std::puts("FFmpeg's decoding with the loop filter left out of some pictures: processor time against the full "
              "decode, and the 240 x 136 pictures' PSNR against the full decode's");
    const std::pair<AVDiscard, const char*> ways[] = {
        {AVDISCARD_NONREF, "pictures nothing refers to"}, {AVDISCARD_BIDIR, "B pictures"}, {AVDISCARD_ALL, "every picture"}};
    for (const auto& [pictures, name] : ways) {
        ConvertedPictures shortcut = SmallPictures();
        const Cost cost = Measure([&] { DecodeOnly(movie, {.loopFilter = pictures, .picture = std::ref(shortcut)}); });
        double psnr = 0;
        for (size_t i = 0; i < full.pictures.size() && i < shortcut.pictures.size(); ++i)
            psnr += cinepak_test::Psnr(full.pictures[i], shortcut.pictures[i]);
        std::printf("  %-28s %.3fx processor time, %.2f dB\n", name, cost.cpu / fullCost.cpu,
                    psnr / double(std::max<size_t>(1, full.pictures.size())));
    }
}

// What decoding a camera's MJPEG at reduced resolution would save, with the conversion to
// the full-size picture the source delivers (where the conversion's plan is made).
void MeasureReducedResolution(const std::string& folder) {
    constexpr int kCameraSeconds = 4;
    FixtureMovie camera = DownloadedSampleMovie(kWidth, kHeight, 30, kCameraSeconds);
    camera.container = "avi";
    camera.video->codec = AV_CODEC_ID_MJPEG;
    camera.video->maxBFrames = 0;
    camera.audio->codec = AV_CODEC_ID_PCM_S16LE;
    const std::string movie = folder + "/camera.avi";
    std::string message;
    if (WriteFixtureMovie(movie, camera, message) != FixtureStatus::Written) {
        std::printf("cannot make the camera movie: %s\n", message.c_str());
        return;
    }
    // As the source delivers it: the full-size picture, whatever size it was decoded at.
    ConvertedPictures shown(kWidth, kHeight, ShownPictureScaler, false);
    std::puts("a camera's 1920 x 1080 MJPEG decoded at reduced resolution and converted to the full-size picture: "
              "processor time against the full decode and conversion");
    const Cost full = Measure([&] { DecodeOnly(movie, {.picture = std::ref(shown)}); });
    for (const int lowres : {1, 2}) {
        ConvertedPictures reducedShown(kWidth, kHeight, ShownPictureScaler, false);
        const Cost reduced = Measure([&] { DecodeOnly(movie, {.lowres = lowres, .picture = std::ref(reducedShown)}); });
        std::printf("  decoded at 1/%d of the size: %.3fx\n", 1 << lowres, reduced.cpu / full.cpu);
    }
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

    ProcessDecodingOptions().leaveOutLoopFilter = false;
    const Cost filtered = Measure([&] { Convert(run.movie, run.output); });
    ProcessDecodingOptions().leaveOutLoopFilter = true;
    std::printf("with the loop filter in every picture: conversion %.2f s wall (%.2f s processor), the default's "
                "best round against it: %.3fx wall, %.3fx processor time\n",
                filtered.wall, filtered.cpu, bestWhole.wall / filtered.wall, bestWhole.cpu / filtered.cpu);

    // Every picture decoded and converted, on the decoder threads FFmpeg would choose.
    ProcessDecodingOptions().leaveOutUnshown = false;
    ProcessDecodingOptions().leaveOutLoopFilter = false;
    ProcessDecodingOptions().decoderThreads = int(std::thread::hardware_concurrency()) + 1;
    const Cost decode = Measure([&] { DecodeOnly(run.movie); });
    const Cost plain = Measure([&] { Convert(run.movie, run.output); });
    std::printf("without the shortcuts: FFmpeg %.2f s, conversion %.2f s wall (%.2f s processor): ratio %.2f\n",
                decode.wall, plain.wall, plain.cpu, plain.wall / decode.wall);
    ProcessDecodingOptions().leaveOutUnshown = true;
    ProcessDecodingOptions().leaveOutLoopFilter = true;
    ProcessDecodingOptions().decoderThreads = 0;

    MeasureLoopFilterShortcuts(run.movie);
    MeasureReducedResolution(folder.Path().string());
    PrintConversionStages(run, bestWhole);
    return 0;
}
