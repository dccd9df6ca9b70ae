#include "bench/job/ConversionStages.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

#include "audio/AdpcmEncoder.h"
#include "audio/AudioCapture.h"
#include "audio/PeakNormalizer.h"
#include "cinepak/CinepakCompressor.h"
#include "format/Handheld.h"
#include "job/ConversionWorker.h"
#include "platform/RunState.h"
#include "resources/sample/SampleScene.h"
#include "tests/video/FakeCompressor.h"
#include "video/FrameScaler.h"

namespace {

// The conversion with a compressor that only keeps the pictures it is given: decoding,
// delivery, scaling and sound without compression.
Cost RunWithoutCompression(const StageRun& run, std::vector<std::vector<uint8_t>>& pictures) {
    FakeCompressorScript script;
    script.frameBytes = [](const FakeCall&) { return 38u; };
    script.observe = [&](const ICCOMPRESS& params) {
        pictures.emplace_back(params.lpInput, params.lpInput + params.lpbiInput->biSizeImage);
    };
    ScopedFakeCompressor fake(script);
    return Measure([&] { Convert(run.movie, run.output); });
}

Cost ScaleOnly(const StageRun& run, size_t frames, Screen screen = Screen::Standard) {
    VideoPlan plan;
    plan.sourceWidth = run.sourceWidth;
    plan.sourceHeight = run.sourceHeight;
    plan.outputWidth = run.outputWidth;
    plan.outputHeight = run.outputHeight;
    plan.preFilter = 3;
    std::vector<uint8_t> source(SourceFrameBytes(plan));
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 31 >> 3);
    std::vector<uint8_t> scaled(size_t(run.outputWidth) * size_t(run.outputHeight) * 3);
    return Measure([&] {
        const FrameScaler scaler(plan, {.screen = screen});
        for (size_t frame = 0; frame < frames; ++frame) scaler.Scale(source.data(), scaled.data());
    });
}

Cost CompressOnly(const StageRun& run, const std::vector<std::vector<uint8_t>>& pictures) {
    InstallCinepakCompressor();
    BitmapInfoHeader input;
    input.biWidth = run.outputWidth;
    input.biHeight = run.outputHeight;
    input.biBitCount = 24;
    input.biSizeImage = uint32_t(run.outputWidth * run.outputHeight * 3);
    auto compressor = ICLocate(ICTYPE_VIDEO, kCinepakHandler, &input, nullptr, ICMODE_COMPRESS);
    BitmapInfoHeader output;
    compressor->CompressGetFormat(&input, &output);
    std::vector<uint8_t> buffer(size_t(compressor->CompressGetSize(&input, &output)));
    compressor->CompressBegin(&input, &output);
    const Cost cost = Measure([&] {
        ICCOMPRESS params;
        params.lpbiInput = &input;
        params.lpbiOutput = &output;
        params.lpbiPrev = &input;
        params.lpOutput = buffer.data();
        for (size_t i = 0; i < pictures.size(); ++i) {
            params.lFrameNum = int32_t(i);
            params.lpInput = pictures[i].data();
            params.lpPrev = i == 0 ? nullptr : pictures[i - 1].data();
            params.dwFrameSize = run.frameBudget;
            compressor->Compress(&params);
        }
    });
    compressor->CompressEnd();
    return cost;
}

Cost SoundOnly(const StageRun& run, size_t frames) {
    std::vector<int16_t> samples(size_t(kOutputSampleRate) * size_t(run.seconds));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = SampleTune(0, int(i), int(kOutputSampleRate));
    return Measure([&] {
        NormalizeSamples(samples, 100);
        const uint32_t frameStep = uint32_t(65536.0 * double(frames) / (run.seconds * handheld::kRefreshHz));
        const AudioBlock block = EncodeAudioBlock(samples, uint32_t(frames), frameStep);
        if (block.payload.empty()) std::puts("no sound coded");
    });
}

void Print(const char* what, double cpu, double whole) {
    std::printf("  %-44s %6.2f s  %5.1f %%\n", what, cpu, 100.0 * cpu / whole);
}

}  // namespace

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool Convert(const std::string& movie, const std::string& output, Screen screen) {
    ConversionRequest request;
    request.moviePath = movie;
    request.outputPath = output;
    request.screen = int32_t(screen);
    const int code = ConversionWorker(request);
    if (code != 0) std::printf("conversion failed with code %d: %s\n", code, ErrorDetail.c_str());
    return code == 0;
}

void PrintConversionStages(const StageRun& run, Cost whole) {
    std::vector<std::vector<uint8_t>> pictures;
    const Cost uncompressed = RunWithoutCompression(run, pictures);
    const Cost scale = ScaleOnly(run, pictures.size());
    const Cost compress = CompressOnly(run, pictures);
    const Cost sound = SoundOnly(run, pictures.size());
    std::printf("conversion of %d s (%zu frames kept): %.2f s wall, %.1fx realtime; %.2f s processor time (all threads)\n",
                run.seconds, pictures.size(), whole.wall, run.seconds / whole.wall, whole.cpu);
    std::puts("where the processor time goes (each stage measured on its own):");
    Print("decoding, demuxing, delivery, colour conversion", uncompressed.cpu - scale.cpu - sound.cpu, whole.cpu);
    Print("scaling and pre-filter", scale.cpu, whole.cpu);
    Print("compression (on a thread of its own)", compress.cpu, whole.cpu);
    Print("sound: normalisation and ADPCM", sound.cpu, whole.cpu);
    if (!run.unlitScreen) return;
    const Cost unlit = Measure([&] { Convert(run.movie, run.output, Screen::Gba); });
    const Cost unlitScale = ScaleOnly(run, pictures.size(), Screen::Gba);
    std::puts("pictures made for the unlit screen (--screen gba), against the default in this run (processor time):");
    std::printf("  %-44s %6.2f s  %5.3fx\n", "whole conversion", unlit.cpu, unlit.cpu / whole.cpu);
    std::printf("  %-44s %6.2f s  %5.3fx\n", "scaling and pre-filter", unlitScale.cpu, unlitScale.cpu / scale.cpu);
}
