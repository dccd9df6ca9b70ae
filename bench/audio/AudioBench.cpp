// Coding ten minutes of sound: 44100 Hz 16-bit stereo resampled to 21024 Hz mono,
// normalised and coded as ADPCM, against a plain mix-down loop over the same PCM in the same run.
// Then the search-ahead coder: its speed against the exact coder's on the same sound, and its
// SNR against the exact coder's on speech, music and film sound, as the player decodes them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "audio/AdpcmDecoder.h"
#include "audio/AdpcmEncoder.h"
#include "audio/AudioCapture.h"
#include "audio/PeakNormalizer.h"
#include "tests/audio/fixtures/SoundFixtures.h"

namespace {

constexpr uint32_t kSourceRate = 44100;
constexpr uint32_t kSeconds = 600;
constexpr size_t kSourceFrames = size_t(kSourceRate) * kSeconds;
constexpr size_t kOutputSamples = size_t(kOutputSampleRate) * kSeconds;
constexpr uint32_t kBufferFrames = 4096;    // a typical decoded buffer
constexpr uint32_t kThirtyFps = 32917;      // frameStep of 30 frames per second
constexpr uint32_t kMovieFrames = 30 * kSeconds;

// Two tones a fifth apart, one per channel, at a third of full scale: normalisation has work to do.
const std::vector<uint8_t>& SourcePcm() {
    static const std::vector<uint8_t> pcm = [] {
        std::vector<uint8_t> bytes(kSourceFrames * 4);
        for (size_t i = 0; i < kSourceFrames; ++i) {
            const double t = double(i) / kSourceRate;
            const auto left = int16_t(11000 * std::sin(2 * std::numbers::pi * 440 * t));
            const auto right = int16_t(11000 * std::sin(2 * std::numbers::pi * 660 * t));
            std::memcpy(&bytes[4 * i], &left, 2);
            std::memcpy(&bytes[4 * i + 2], &right, 2);
        }
        return bytes;
    }();
    return pcm;
}

WaveFormatEx StereoFormat() {
    WaveFormatEx format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kSourceRate;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = kSourceRate * 4;
    format.wBitsPerSample = 16;
    return format;
}

void Capture(AudioCapture& capture, std::span<const uint8_t> pcm) {
    for (size_t at = 0; at < pcm.size(); at += kBufferFrames * 4) {
        const size_t length = std::min<size_t>(kBufferFrames * 4, pcm.size() - at);
        capture.AppendAudio(pcm.data() + at, uint32_t(length));
    }
}

void SetRates(benchmark::State& state) {
    state.counters["out_samples_per_s"] =
        benchmark::Counter(double(kOutputSamples), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["src_frames_per_s"] =
        benchmark::Counter(double(kSourceFrames), benchmark::Counter::kIsIterationInvariantRate);
}

// Reference: read every source frame and mix it to mono, nothing else.
void BM_Reference_MixDown(benchmark::State& state) {
    const std::vector<uint8_t>& pcm = SourcePcm();
    std::vector<int16_t> mono(kSourceFrames);
    for (auto _ : state) {
        for (size_t i = 0; i < kSourceFrames; ++i) {
            int16_t left, right;
            std::memcpy(&left, &pcm[4 * i], 2);
            std::memcpy(&right, &pcm[4 * i + 2], 2);
            mono[i] = int16_t((left + right) / 2);
        }
        benchmark::DoNotOptimize(mono.data());
        benchmark::ClobberMemory();
    }
    SetRates(state);
}

void BM_Resample(benchmark::State& state) {
    AudioCapture capture;
    if (!capture.SetAudioFormat(StereoFormat())) state.SkipWithError("format refused");
    for (auto _ : state) {
        capture.Reset();
        Capture(capture, SourcePcm());
        benchmark::DoNotOptimize(capture.CollectedSamples().data());
    }
    SetRates(state);
}

void BM_Normalize(benchmark::State& state) {
    std::vector<int16_t> quiet(kOutputSamples);
    for (size_t i = 0; i < quiet.size(); ++i) quiet[i] = int16_t(int32_t(i * 7919 % 22001) - 11000);
    std::vector<int16_t> samples;
    for (auto _ : state) {
        samples = quiet;
        NormalizeSamples(samples, 100);
        benchmark::DoNotOptimize(samples.data());
    }
    SetRates(state);
}

void BM_EncodeAdpcm(benchmark::State& state) {
    AudioCapture capture;
    if (!capture.SetAudioFormat(StereoFormat())) state.SkipWithError("format refused");
    Capture(capture, SourcePcm());
    for (auto _ : state) benchmark::DoNotOptimize(EncodeAudioBlock(capture.CollectedSamples(), kMovieFrames, kThirtyFps));
    SetRates(state);
}

void BM_EncodeAdpcmSearched(benchmark::State& state) {
    AudioCapture capture;
    if (!capture.SetAudioFormat(StereoFormat())) state.SkipWithError("format refused");
    Capture(capture, SourcePcm());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            EncodeAudioBlock(capture.CollectedSamples(), kMovieFrames, kThirtyFps, AdpcmCoder::SearchAhead));
    SetRates(state);
}

void BM_CodeTenMinutes(benchmark::State& state) {
    AudioCapture capture;
    if (!capture.SetAudioFormat(StereoFormat())) state.SkipWithError("format refused");
    for (auto _ : state) {
        capture.Reset();
        Capture(capture, SourcePcm());
        NormalizeSamples(capture.CollectedSamples(), 100);
        benchmark::DoNotOptimize(EncodeAudioBlock(capture.CollectedSamples(), kMovieFrames, kThirtyFps));
    }
    SetRates(state);
}

BENCHMARK(BM_Reference_MixDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Normalize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeAdpcm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeAdpcmSearched)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CodeTenMinutes)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's best processor seconds per iteration over its repetitions, for the
// ratios printed at the end. Processor time, because the machine is shared while it runs.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            const double seconds = run.cpu_accumulated_time / double(run.iterations);
            auto [entry, added] = secondsPerIteration.try_emplace(run.run_name.function_name, seconds);
            if (!added) entry->second = std::min(entry->second, seconds);
        }
    }
    std::map<std::string, double> secondsPerIteration;
};

void ReportSearchGain() {
    constexpr double kFixtureSeconds = 10;
    fmt::print("\nSNR of the played sound, search-ahead coder against the exact coder ({} s each):\n",
               kFixtureSeconds);
    const std::pair<const char*, std::vector<int16_t>> sounds[] = {
        {"speech", sound_fixtures::Speech(kFixtureSeconds)},
        {"music", sound_fixtures::Music(kFixtureSeconds)},
        {"film", sound_fixtures::FilmMix(kFixtureSeconds)}};
    for (const auto& [name, sound] : sounds) {
        const auto played = [&](AdpcmCoder coder) {
            return sound_fixtures::PlayedSnrDb(sound, DecodeAdpcmBlock(EncodeAudioBlock(sound, 0, kThirtyFps, coder).payload));
        };
        const double exact = played(AdpcmCoder::Exact), searched = played(AdpcmCoder::SearchAhead);
        fmt::print("  {:<7} exact {:6.2f} dB   search-ahead {:6.2f} dB   {:+.2f} dB (target >= +3.00)\n", name, exact,
                   searched, searched - exact);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& times = reporter.secondsPerIteration;
    const auto reference = times.find("BM_Reference_MixDown");
    const auto whole = times.find("BM_CodeTenMinutes");
    if (reference == times.end() || whole == times.end()) return 0;
    fmt::print("\nTen minutes of 44100 Hz stereo sound coded in {:.1f} ms of processor time: "
               "{:.1f} million output samples per second, {:.0f} times real time.\n",
               whole->second * 1e3, kOutputSamples / whole->second / 1e6, kSeconds / whole->second);
    fmt::print("Ratio to the plain mix-down loop over the same PCM ({:.1f} ms): {:.2f}\n", reference->second * 1e3,
               whole->second / reference->second);
    for (const char* stage : {"BM_Resample", "BM_Normalize", "BM_EncodeAdpcm", "BM_EncodeAdpcmSearched"})
        if (const auto found = times.find(stage); found != times.end())
            fmt::print("  {:<22} {:7.1f} ms  ({:.2f} x reference)\n", stage, found->second * 1e3,
                       found->second / reference->second);
    const auto exact = times.find("BM_EncodeAdpcm");
    const auto searched = times.find("BM_EncodeAdpcmSearched");
    if (exact != times.end() && searched != times.end())
        fmt::print("Search-ahead coder: {:.2f} million samples per second, {:.0f} times real time, {:.1f} times "
                   "the exact coder's time.\n",
                   kOutputSamples / searched->second / 1e6, kSeconds / searched->second,
                   searched->second / exact->second);
    ReportSearchGain();
    return 0;
}
