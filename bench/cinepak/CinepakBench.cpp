// Our Cinepak compressor against FFmpeg's "cinepak" encoder on the same 240 x 160 clips, one
// strip and one thread each, at equal bytes: FFmpeg runs at a ladder of trade-offs that spans
// 12 to 80 KB/s, and ours gets each run's total as its data rate, with the movie encoder's
// per-frame budget. Per rate: PSNR and SSIM of what FFmpeg's decoder shows, their differences,
// what the stream's rate-distortion slope gains over filling every budget, the byte ratio and
// the speed ratio (processor time of the encoding thread).
// Targets: at least +2.0 dB on average and +1.0 dB at every rate over FFmpeg; at least 10 times
// FFmpeg's speed.
//
// Arguments, for quicker trials: "panned" or "film" runs that clip only; "--no-slope" leaves out
// the run that fills every budget (the slope column then reads 0).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/cinepak/BenchContent.h"
#include "bench/cinepak/CinepakRuns.h"
#include "bench/cinepak/FilmContent.h"

using namespace cinepak_bench;

namespace {

constexpr int kPannedFrames = 90;
constexpr int kSyntheticFrames = 60;
constexpr int kPanFramesPerSecond = 15;
constexpr double kLeastRate = 12, kMostRate = 80;  // KB/s where the targets hold
constexpr double kAverageGainTarget = 2.0, kLeastGainTarget = 1.0, kSpeedTarget = 10;

struct Ladder {
    Clip clip;
    std::vector<int> lambdas;  // FFmpeg's trade-offs, giving about 80 down to 12 KB/s on this clip
};

struct Totals {
    double gain = 0, ssimGain = 0, slopeGain = 0, leastGain = 1e9;
    int rates = 0;
    double ffmpegSeconds = 0, oursSeconds = 0;

    void Add(const Totals& other) {
        gain += other.gain;
        ssimGain += other.ssimGain;
        slopeGain += other.slopeGain;
        leastGain = std::min(leastGain, other.leastGain);
        rates += other.rates;
        ffmpegSeconds += other.ffmpegSeconds;
        oursSeconds += other.oursSeconds;
    }
    void Print(const char* label) const {
        if (rates == 0) return;
        std::printf("  %s: PSNR %+.2f dB on average (target >= %+.2f), %+.2f dB at the least (target >= %+.2f); "
                    "SSIM %+.4f; slope %+.2f dB; speed x%.1f (target >= %.0f)\n",
                    label, gain / rates, kAverageGainTarget, leastGain, kLeastGainTarget, ssimGain / rates,
                    slopeGain / rates, ffmpegSeconds / oursSeconds, kSpeedTarget);
    }
};

struct Choice {
    const char* clip = nullptr;  // none: both
    bool slope = true;           // also run without the slope
};

bool RunLadder(const Ladder& ladder, const Choice& choice, Totals& totals) {
    const Clip& clip = ladder.clip;
    std::printf("\n%s: %zu frames at %d frames per second\n", clip.name, clip.frames.size(), clip.framesPerSecond);
    std::printf("  FFmpeg    KB/s |  FFmpeg dB  SSIM  |   KAVRO dB  SSIM  |  PSNR   SSIM    | slope  | bytes  over | speed\n");
    cinepak::CinepakOptions filling;
    filling.rateSlope = 0;
    for (const int lambda : ladder.lambdas) {
        Run ffmpeg, ours, filled;
        if (!RunFfmpeg(clip, lambda, ffmpeg) || !Measure(clip, ffmpeg)) {
            std::fprintf(stderr, "FFmpeg's cinepak encoder failed\n");
            return false;
        }
        if (!RunOurs(clip, ffmpeg.bytes, {}, ours) || !Measure(clip, ours)) {
            std::fprintf(stderr, "our compressor failed\n");
            return false;
        }
        if (!choice.slope)
            filled = ours;
        else if (!RunOurs(clip, ffmpeg.bytes, filling, filled) || !Measure(clip, filled)) {
            std::fprintf(stderr, "our compressor failed\n");
            return false;
        }
        const double rate = ffmpeg.KilobytesPerSecond(clip);
        const double gain = ours.psnr - ffmpeg.psnr;
        std::printf("  %7d %6.1f | %6.2f  %.4f | %6.2f  %.4f | %+5.2f  %+.4f | %+5.2f | %.3f  %3d | x%.1f\n", lambda,
                    rate, ffmpeg.psnr, ffmpeg.ssim, ours.psnr, ours.ssim, gain, ours.ssim - ffmpeg.ssim,
                    ours.psnr - filled.psnr, double(ours.bytes) / double(ffmpeg.bytes), ours.oversized,
                    ffmpeg.seconds / ours.seconds);
        std::fflush(stdout);
        totals.ffmpegSeconds += ffmpeg.seconds;
        totals.oursSeconds += ours.seconds;
        if (rate < kLeastRate * 0.95 || rate > kMostRate * 1.05) continue;
        totals.gain += gain;
        totals.ssimGain += ours.ssim - ffmpeg.ssim;
        totals.slopeGain += ours.psnr - filled.psnr;
        totals.leastGain = std::min(totals.leastGain, gain);
        ++totals.rates;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Choice choice;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-slope") == 0)
            choice.slope = false;
        else if (std::strcmp(argv[i], "panned") == 0 || std::strcmp(argv[i], "film") == 0)
            choice.clip = argv[i];
        else {
            std::fprintf(stderr, "usage: cinepak_bench [panned|film] [--no-slope]\n");
            return 2;
        }
    }
    const char* names[] = {"panned", "film"};
    const Ladder ladders[] = {
        {{"Panned and zoomed over a detailed picture, then synthetic patterns",
          MakeFrames(kWidth, kHeight, kPannedFrames, kSyntheticFrames), kPanFramesPerSecond},
         {14000, 24000, 40000, 65536, 100000, 160000, 262144, 380000, 524288}},
        {{"Film-like shots: dark room, dusk pan, close-up, night street, two people; cuts and a fade",
          MakeFilmFrames(kWidth, kHeight), kFilmFramesPerSecond},
         {450, 700, 1024, 1500, 2048, 3000, 4096, 8192, 14000}},
    };
    std::printf("Equal bytes per rate; the averages count the rates from %.0f to %.0f KB/s\n", kLeastRate, kMostRate);
    Totals all;
    std::vector<Totals> each(std::size(ladders));
    for (size_t i = 0; i < std::size(ladders); ++i) {
        if (choice.clip && std::strcmp(choice.clip, names[i]) != 0) continue;
        if (!RunLadder(ladders[i], choice, each[i])) return 1;
        all.Add(each[i]);
    }
    std::printf("\nSummary\n");
    for (size_t i = 0; i < each.size(); ++i) each[i].Print(i == 0 ? "panned" : "film  ");
    all.Print("both  ");
    return 0;
}
