#include "bench/cinepak/CinepakRuns.h"

#include <algorithm>
#include <ctime>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

#include "bench/cinepak/PictureQuality.h"
#include "cinepak/CinepakCompressor.h"
#include "source/FfmpegHandles.h"
#include "tests/cinepak/oracle/FfmpegCinepak.h"

namespace cinepak_bench {

namespace {

// Processor seconds used by this thread, so that other work on the machine does not skew the ratio.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Bottom-up B, G, R, as the movie encoder hands pictures to the compressor.
Frames BottomUpBgr(const Frames& frames) {
    Frames pictures;
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
    return pictures;
}

}  // namespace

bool RunFfmpeg(const Clip& clip, int lambda, Run& run) {
    const AVCodec* codec = avcodec_find_encoder_by_name("cinepak");
    if (!codec) return false;
    ffmpeg::CodecContextPtr context(avcodec_alloc_context3(codec));
    context->width = kWidth;
    context->height = kHeight;
    context->pix_fmt = AV_PIX_FMT_RGB24;
    context->time_base = {1, clip.framesPerSecond};
    context->framerate = {clip.framesPerSecond, 1};
    context->gop_size = int(clip.frames.size());  // one intra frame, as ours makes
    context->thread_count = 1;
    av_opt_set_int(context->priv_data, "max_strips", 1, 0);
    if (avcodec_open2(context.get(), codec, nullptr) < 0) return false;

    std::vector<ffmpeg::FramePtr> pictures;
    for (size_t k = 0; k < clip.frames.size(); ++k) {
        ffmpeg::FramePtr picture(av_frame_alloc());
        picture->format = AV_PIX_FMT_RGB24;
        picture->width = kWidth;
        picture->height = kHeight;
        if (av_frame_get_buffer(picture.get(), 0) < 0) return false;
        for (int y = 0; y < kHeight; ++y)
            std::copy_n(clip.frames[k].data() + size_t(y) * kWidth * 3, kWidth * 3,
                        picture->data[0] + y * picture->linesize[0]);
        picture->pts = int64_t(k);
        picture->quality = lambda + 1;  // FFmpeg's encoder takes quality - 1 as its lambda
        pictures.push_back(std::move(picture));
    }
    ffmpeg::PacketPtr packet(av_packet_alloc());
    const auto drain = [&] {
        while (avcodec_receive_packet(context.get(), packet.get()) == 0) {
            run.packets.emplace_back(packet->data, packet->data + packet->size);
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
    run.seconds = ThreadSeconds() - start;
    return run.packets.size() == clip.frames.size();
}

bool RunOurs(const Clip& clip, size_t totalBytes, const cinepak::CinepakOptions& options, Run& run) {
    const Frames pictures = BottomUpBgr(clip.frames);
    const uint64_t frames = clip.frames.size();
    CinepakCompressor compressor;
    std::vector<uint8_t> state(cinepak::CinepakStateBytes());
    cinepak::StoreCinepakState(options, state);
    if (compressor.SetState(state.data(), uint32_t(state.size())) != ICERR_OK) return false;
    BitmapInfoHeader input, output;
    input.biWidth = kWidth;
    input.biHeight = kHeight;
    input.biBitCount = 24;
    input.biSizeImage = kWidth * kHeight * 3;
    if (compressor.CompressGetFormat(&input, &output) != ICERR_OK) return false;
    std::vector<uint8_t> buffer(size_t(compressor.CompressGetSize(&input, &output)));
    ICCOMPRESSFRAMES info;
    info.lpbiInput = &input;
    info.lpbiOutput = &output;
    info.lFrameCount = int32_t(frames);
    info.lDataRate = int32_t((totalBytes * uint64_t(clip.framesPerSecond) + frames / 2) / frames);
    info.dwRate = uint32_t(clip.framesPerSecond);
    info.dwScale = 1;
    if (compressor.CompressFramesInfo(&info) != ICERR_OK) return false;
    if (compressor.CompressBegin(&input, &output) != ICERR_OK) return false;

    const uint64_t floor = totalBytes / frames / 2;
    const double start = ThreadSeconds();
    uint64_t produced = 0;
    for (size_t k = 0; k < pictures.size(); ++k) {
        const uint64_t owed = uint64_t(totalBytes) * (k + 1) / frames;
        ICCOMPRESS params;
        params.lpbiOutput = &output;
        params.lpOutput = buffer.data();
        params.lpbiInput = &input;
        params.lpInput = pictures[k].data();
        params.lFrameNum = int32_t(k);
        params.dwFrameSize = uint32_t(std::max<uint64_t>(owed > produced ? owed - produced : 1, floor));
        if (k > 0) {
            params.lpbiPrev = &input;
            params.lpPrev = pictures[k - 1].data();
        }
        if (compressor.Compress(&params) != ICERR_OK) return false;
        run.oversized += output.biSizeImage > params.dwFrameSize;
        produced += output.biSizeImage;
        run.packets.emplace_back(buffer.begin(), buffer.begin() + output.biSizeImage);
    }
    run.seconds = ThreadSeconds() - start;
    compressor.CompressEnd();
    return true;
}

bool Measure(const Clip& clip, Run& run) {
    cinepak_test::FfmpegDecoder decoder(kWidth, kHeight);
    if (!decoder.Ok()) return false;
    double psnr = 0, ssim = 0;
    run.bytes = 0;
    for (size_t k = 0; k < clip.frames.size(); ++k) {
        const std::vector<uint8_t> shown = decoder.Decode(run.packets[k]);
        if (shown.size() != clip.frames[k].size()) return false;
        psnr += cinepak_test::Psnr(shown, clip.frames[k]);
        ssim += Ssim(shown, clip.frames[k], kWidth, kHeight);
        run.bytes += run.packets[k].size();
    }
    run.psnr = psnr / double(clip.frames.size());
    run.ssim = ssim / double(clip.frames.size());
    return true;
}

}  // namespace cinepak_bench
