// What seek points cost in picture quality: our compressor with an intra frame every 1, 2 and
// 4 seconds of movie against the same clip without them, at equal bytes (the same data rate
// and the movie encoder's per-frame budget, which counts the intra frames' bytes like any
// other), at a few rates. Per rate and interval: PSNR and SSIM of what FFmpeg's decoder shows,
// their differences from the run without seek points, and the byte ratio.
// Target: the chosen spacing (2 seconds) costs at most 1.0 dB on average over the rates.
#include <cstdio>
#include <vector>

#include "bench/cinepak/BenchContent.h"
#include "bench/cinepak/CinepakRuns.h"
#include "bench/cinepak/FilmContent.h"

using namespace cinepak_bench;

namespace {

constexpr int kPannedFrames = 120;
constexpr int kSyntheticFrames = 60;
constexpr int kPanFramesPerSecond = 15;
constexpr double kRates[] = {20, 40, 80};  // KB/s
constexpr int kIntervalSeconds[] = {1, 2, 4};
constexpr int kChosenSeconds = 2;
constexpr double kChosenCostTarget = 1.0;  // dB

// Runs ours at `rate` with an intra frame every `seconds` (0: none) and measures it.
bool RunAt(const Clip& clip, double rate, int seconds, Run& run) {
    const size_t bytes = size_t(rate * 1024 * double(clip.frames.size()) / clip.framesPerSecond);
    cinepak::CinepakOptions options;
    options.keyInterval = seconds * clip.framesPerSecond;
    return RunOurs(clip, bytes, options, run) && Measure(clip, run);
}

// Prints the clip's table; adds the chosen spacing's PSNR cost at each rate to `cost`.
bool RunClip(const Clip& clip, double& cost, int& rates) {
    std::printf("\n%s: %zu frames at %d frames per second\n", clip.name, clip.frames.size(), clip.framesPerSecond);
    std::printf("  KB/s | none dB  SSIM  ");
    for (const int seconds : kIntervalSeconds) std::printf("| every %d s: PSNR   SSIM    bytes ", seconds);
    std::printf("\n");
    for (const double rate : kRates) {
        Run none;
        if (!RunAt(clip, rate, 0, none)) return false;
        std::printf("  %4.0f | %6.2f  %.4f ", rate, none.psnr, none.ssim);
        for (const int seconds : kIntervalSeconds) {
            Run keyed;
            if (!RunAt(clip, rate, seconds, keyed)) return false;
            std::printf("|          %+5.2f  %+.4f  %.3f ", keyed.psnr - none.psnr, keyed.ssim - none.ssim,
                        double(keyed.bytes) / double(none.bytes));
            if (seconds == kChosenSeconds) cost += none.psnr - keyed.psnr;
        }
        std::printf("\n");
        std::fflush(stdout);
        ++rates;
    }
    return true;
}

}  // namespace

int main() {
    const Clip clips[] = {
        {"Panned and zoomed over a detailed picture, then synthetic patterns",
         MakeFrames(kWidth, kHeight, kPannedFrames, kSyntheticFrames), kPanFramesPerSecond},
        {"Film-like shots: dark room, dusk pan, close-up, night street, two people; cuts and a fade",
         MakeFilmFrames(kWidth, kHeight), kFilmFramesPerSecond},
    };
    std::printf("Seek points against none, at equal bytes; differences from the run without them\n");
    double cost = 0;
    int rates = 0;
    for (const Clip& clip : clips) {
        if (!RunClip(clip, cost, rates)) {
            std::fprintf(stderr, "our compressor or FFmpeg's decoder failed\n");
            return 1;
        }
    }
    std::printf("\nSummary: a seek point every %d s costs %.2f dB PSNR on average (target <= %.2f dB)\n",
                kChosenSeconds, cost / rates, kChosenCostTarget);
    return 0;
}
