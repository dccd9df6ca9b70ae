// Our Cinepak compressor against FFmpeg's "cinepak" encoder on the same 240 x 160 frames, one
// strip and one thread each: total bytes matched (ours gets FFmpeg's total as its running
// budget), PSNR of what FFmpeg's decoder shows, frames per second, and the ratios.
// Targets: at least +1.0 dB at equal bytes and at least 5 times FFmpeg's speed. Speed is the
// encoding thread's CPU time, so that other work on the machine does not skew the ratio.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <span>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

#include "bench/cinepak/BenchContent.h"
#include "source/FfmpegHandles.h"
#include "cinepak/CinepakCompressor.h"
#include "tests/cinepak/oracle/FfmpegCinepak.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;
constexpr int kPannedFrames = 90;
constexpr int kSyntheticFrames = 60;

// CPU seconds used by this thread.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}
using Frames = std::vector<std::vector<uint8_t>>;

struct Result {
    Frames packets;
    double seconds = 0;
    size_t bytes = 0;
    double psnr = 0;  // mean of the frames' PSNR
};

// FFmpeg's encoder at lambda `quality` - 1 (0: its default), one strip, one key frame.
bool RunFfmpeg(const Frames& frames, int quality, Result& result) {
    const AVCodec* codec = avcodec_find_encoder_by_name("cinepak");
    if (!codec) return false;
    ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
    context->width = kWidth;
    context->height = kHeight;
    context->pix_fmt = AV_PIX_FMT_RGB24;
    context->time_base = {1, 15};
    context->framerate = {15, 1};
    context->gop_size = int(frames.size());  // one intra frame, as ours makes
    context->thread_count = 1;
    av_opt_set_int(context->priv_data, "max_strips", 1, 0);
    if (avcodec_open2(context.get(), codec, nullptr) < 0) return false;

    std::vector<ffmpeg::FramePtr> pictures;
    for (size_t k = 0; k < frames.size(); ++k) {
        ffmpeg::FramePtr picture(av_frame_alloc());
        picture->format = AV_PIX_FMT_RGB24;
        picture->width = kWidth;
        picture->height = kHeight;
        if (av_frame_get_buffer(picture.get(), 0) < 0) return false;
        for (int y = 0; y < kHeight; ++y)
            std::copy_n(frames[k].data() + size_t(y) * kWidth * 3, kWidth * 3, picture->data[0] + y * picture->linesize[0]);
        picture->pts = int64_t(k);
        picture->quality = quality;
        pictures.push_back(std::move(picture));
    }
    ffmpeg::PacketPtr packet(av_packet_alloc());
    const auto drain = [&] {
        while (avcodec_receive_packet(context.get(), packet.get()) == 0) {
            result.packets.emplace_back(packet->data, packet->data + packet->size);
            av_packet_unref(packet.get());
        }
    };
    const double start = ThreadSeconds();
    for (const auto& picture : pictures) {
        if (avcodec_send_frame(context.get(), picture.get()) < 0) return false;
        drain();
    }
    avcodec_send_frame(context.get(), nullptr);
    drain();
    result.seconds = ThreadSeconds() - start;
    return result.packets.size() == frames.size();
}

// Ours, fed as the movie encoder feeds it, with a running budget that ends at `totalBytes`.
bool RunOurs(const Frames& frames, size_t totalBytes, Result& result) {
    Frames pictures;  // bottom-up B, G, R
    for (const auto& frame : frames) {
        std::vector<uint8_t> picture(frame.size());
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const uint8_t* source = frame.data() + (size_t(y) * kWidth + x) * 3;
                uint8_t* target = picture.data() + (size_t(kHeight - 1 - y) * kWidth + x) * 3;
                target[0] = source[2];
                target[1] = source[1];
                target[2] = source[0];
            }
        pictures.push_back(std::move(picture));
    }
    CinepakCompressor compressor;
    BitmapInfoHeader input, output;
    input.biWidth = kWidth;
    input.biHeight = kHeight;
    input.biBitCount = 24;
    input.biSizeImage = kWidth * kHeight * 3;
    if (compressor.CompressGetFormat(&input, &output) != ICERR_OK) return false;
    std::vector<uint8_t> buffer(size_t(compressor.CompressGetSize(&input, &output)));
    if (compressor.CompressBegin(&input, &output) != ICERR_OK) return false;

    const double start = ThreadSeconds();
    uint64_t produced = 0;
    for (size_t k = 0; k < pictures.size(); ++k) {
        const uint64_t owed = uint64_t(totalBytes) * (k + 1) / pictures.size();
        ICCOMPRESS params;
        params.lpbiOutput = &output;
        params.lpOutput = buffer.data();
        params.lpbiInput = &input;
        params.lpInput = pictures[k].data();
        params.lFrameNum = int32_t(k);
        params.dwFrameSize = uint32_t(std::max<uint64_t>(owed > produced ? owed - produced : 1, 1));
        if (k > 0) {
            params.lpbiPrev = &input;
            params.lpPrev = pictures[k - 1].data();
        }
        if (compressor.Compress(&params) != ICERR_OK) return false;
        produced += output.biSizeImage;
        result.packets.emplace_back(buffer.begin(), buffer.begin() + output.biSizeImage);
    }
    result.seconds = ThreadSeconds() - start;
    compressor.CompressEnd();
    return true;
}

bool Measure(const Frames& frames, Result& result) {
    cinepak_test::FfmpegDecoder decoder(kWidth, kHeight);
    if (!decoder.Ok()) return false;
    double sum = 0;
    for (size_t k = 0; k < frames.size(); ++k) {
        const std::vector<uint8_t> shown = decoder.Decode(result.packets[k]);
        if (shown.size() != frames[k].size()) return false;
        sum += cinepak_test::Psnr(shown, frames[k]);
        result.bytes += result.packets[k].size();
    }
    result.psnr = sum / double(frames.size());
    return true;
}

void Report(const char* label, const Frames& frames, const Result& ffmpeg, const Result& ours) {
    const double count = double(frames.size());
    std::printf("%s\n", label);
    std::printf("  FFmpeg cinepak: %8zu bytes  %6.2f dB  %8.1f frames/s\n", ffmpeg.bytes, ffmpeg.psnr,
                count / ffmpeg.seconds);
    std::printf("  KAVRO cinepak:  %8zu bytes  %6.2f dB  %8.1f frames/s\n", ours.bytes, ours.psnr, count / ours.seconds);
    std::printf("  bytes ratio %.4f   PSNR %+.2f dB (target >= +1.00)   speed x%.1f (target >= 5)\n",
                double(ours.bytes) / double(ffmpeg.bytes), ours.psnr - ffmpeg.psnr, ffmpeg.seconds / ours.seconds);
}

}  // namespace

int main() {
    const Frames frames = cinepak_bench::MakeFrames(kWidth, kHeight, kPannedFrames, kSyntheticFrames);
    std::printf("%zu frames of %dx%d: %d panned and zoomed over a detailed picture, %d synthetic\n", frames.size(),
                kWidth, kHeight, kPannedFrames, kSyntheticFrames);
    // FFmpeg's default trade-off (lambda 256), and a richer one (lambda 64).
    for (const auto& [quality, label] : {std::pair{0, "FFmpeg default lambda"}, {65, "FFmpeg lambda 64"}}) {
        Result ffmpeg, ours;
        if (!RunFfmpeg(frames, quality, ffmpeg) || !Measure(frames, ffmpeg)) {
            std::fprintf(stderr, "FFmpeg's cinepak encoder failed\n");
            return 1;
        }
        if (!RunOurs(frames, ffmpeg.bytes, ours) || !Measure(frames, ours)) {
            std::fprintf(stderr, "our compressor failed\n");
            return 1;
        }
        Report(label, frames, ffmpeg, ours);
    }
    return 0;
}
