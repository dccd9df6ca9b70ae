// Converting a 60-second 640 x 360 movie at 30 fps with the default settings: the realtime
// factor on processor time, and where the time goes, each stage measured in the same run; and
// what making the pictures for the unlit screen (--screen gba) costs against that.
extern "C" {
#include <libavutil/log.h>
}
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "audio/AdpcmEncoder.h"
#include "audio/AudioCapture.h"
#include "audio/PeakNormalizer.h"
#include "cinepak/CinepakCompressor.h"
#include "job/ConversionWorker.h"
#include "platform/RunState.h"
#include "resources/sample/SampleScene.h"
#include "tests/video/FakeCompressor.h"
#include "video/FrameScaler.h"

namespace {

constexpr int kSeconds = 60;
constexpr int kFramesPerSecond = 30;
constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kOutputWidth = 240;  // what the default settings make of 640 x 360
constexpr int kOutputHeight = 136;
constexpr uint32_t kFrameBudget = 8192;  // 120 KB/s at the 15 fps the automatic rate keeps

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Cost {
    double cpu = 0;
    double wall = 0;
};

template <typename F>
Cost Measure(F work) {
    const double cpu = CpuSeconds();
    const auto wall = std::chrono::steady_clock::now();
    work();
    return {CpuSeconds() - cpu, std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count()};
}

bool MakeMovie(const std::string& path) {
    FixtureMovie movie = SampleMovie(kWidth, kHeight, kFramesPerSecond, kSeconds);
    movie.container = "mpeg";
    movie.video->codec = AV_CODEC_ID_MPEG1VIDEO;
    movie.audio->codec = AV_CODEC_ID_MP2;
    std::string message;
    if (WriteFixtureMovie(path, movie, message) == FixtureStatus::Written) return true;
    std::printf("cannot make the movie: %s\n", message.c_str());
    return false;
}

bool Convert(const std::string& movie, const std::string& output, Screen screen = Screen::Standard) {
    ConversionRequest request;
    request.moviePath = movie;
    request.outputPath = output;
    request.screen = int32_t(screen);
    const int code = ConversionWorker(request);
    if (code != 0) std::printf("conversion failed with code %d: %s\n", code, ErrorDetail.c_str());
    return code == 0;
}

// The conversion with a compressor that only keeps the pictures it is given: decoding,
// delivery, scaling and sound without compression.
Cost RunWithoutCompression(const std::string& movie, const std::string& output,
                           std::vector<std::vector<uint8_t>>& pictures) {
    FakeCompressorScript script;
    script.frameBytes = [](const FakeCall&) { return 38u; };
    script.observe = [&](const ICCOMPRESS& params) {
        pictures.emplace_back(params.lpInput, params.lpInput + params.lpbiInput->biSizeImage);
    };
    ScopedFakeCompressor fake(script);
    return Measure([&] { Convert(movie, output); });
}

Cost ScaleOnly(size_t frames, Screen screen = Screen::Standard) {
    VideoPlan plan;
    plan.sourceWidth = kWidth;
    plan.sourceHeight = kHeight;
    plan.outputWidth = kOutputWidth;
    plan.outputHeight = kOutputHeight;
    plan.preFilter = 3;
    std::vector<uint8_t> source(SourceFrameBytes(plan));
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 31 >> 3);
    std::vector<uint8_t> scaled(size_t(kOutputWidth) * kOutputHeight * 3);
    return Measure([&] {
        const FrameScaler scaler(plan, {.screen = screen});
        for (size_t frame = 0; frame < frames; ++frame) scaler.Scale(source.data(), scaled.data());
    });
}

Cost CompressOnly(const std::vector<std::vector<uint8_t>>& pictures) {
    InstallCinepakCompressor();
    BitmapInfoHeader input;
    input.biWidth = kOutputWidth;
    input.biHeight = kOutputHeight;
    input.biBitCount = 24;
    input.biSizeImage = uint32_t(kOutputWidth * kOutputHeight * 3);
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
            params.dwFrameSize = kFrameBudget;
            compressor->Compress(&params);
        }
    });
    compressor->CompressEnd();
    return cost;
}

Cost SoundOnly() {
    std::vector<int16_t> samples(size_t(kOutputSampleRate) * kSeconds);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = SampleTune(0, int(i), int(kOutputSampleRate));
    return Measure([&] {
        NormalizeSamples(samples, 100);
        const AudioBlock block = EncodeAudioBlock(samples, kSeconds * 15, 16458);
        if (block.payload.empty()) std::puts("no sound coded");
    });
}

void Print(const char* what, double cpu, double whole) {
    std::printf("  %-36s %6.2f s  %5.1f %%\n", what, cpu, 100.0 * cpu / whole);
}

}  // namespace

int main() {
    av_log_set_level(AV_LOG_ERROR);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kavro-conversion-bench";
    std::filesystem::create_directories(folder);
    const std::string movie = (folder / "movie.mpg").string();
    const std::string output = (folder / "movie.gba").string();
    std::puts("making a 60 s 640 x 360 30 fps MPEG-1 movie with MP2 stereo sound...");
    if (!MakeMovie(movie)) return 1;

    Cost whole;
    if (!Measure([&] { whole = Measure([&] { Convert(movie, output); }); }).cpu) return 1;
    std::vector<std::vector<uint8_t>> pictures;
    const Cost uncompressed = RunWithoutCompression(movie, output, pictures);
    const Cost scale = ScaleOnly(pictures.size());
    const Cost compress = CompressOnly(pictures);
    const Cost sound = SoundOnly();
    const Cost unlit = Measure([&] { Convert(movie, output, Screen::Gba); });
    const Cost unlitScale = ScaleOnly(pictures.size(), Screen::Gba);
    std::filesystem::remove_all(folder);

    std::printf("conversion of %d s (%zu frames kept): %.2f s processor time (all threads), %.2f s wall\n", kSeconds,
                pictures.size(), whole.cpu, whole.wall);
    std::printf("realtime factor on processor time: %.1fx (target at least 8x on one core)\n", kSeconds / whole.cpu);
    std::puts("where the processor time goes (each stage measured on its own):");
    Print("decoding and delivery", uncompressed.cpu - scale.cpu - sound.cpu, whole.cpu);
    Print("scaling and pre-filter", scale.cpu, whole.cpu);
    Print("compression", compress.cpu, whole.cpu);
    Print("sound: normalisation and ADPCM", sound.cpu, whole.cpu);
    std::puts("pictures made for the unlit screen (--screen gba), against the default in this run:");
    std::printf("  whole conversion                     %6.2f s  %5.3fx\n", unlit.cpu, unlit.cpu / whole.cpu);
    std::printf("  scaling and pre-filter               %6.2f s  %5.3fx\n", unlitScale.cpu, unlitScale.cpu / scale.cpu);
    return 0;
}
