#include "job/PlanSummary.h"

#include <fmt/format.h>

#include <cctype>

#include "job/AssembleRomImage.h"
#include "job/CartridgeFit.h"
#include "job/MovieTime.h"

namespace {

// Decimals without the zeros a reader does not need: 23.976, 25, 44.1.
std::string Decimal(double value, int decimals) {
    std::string text = fmt::format("{:.{}f}", value, decimals);
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string MegabyteWords(uint64_t bytes) { return fmt::format("{:.1f} MB", double(bytes) / double(1 << 20)); }

}  // namespace

std::string RateWords(uint32_t numerator, uint32_t denominator) {
    return Decimal(double(numerator) / denominator, 3);
}

std::string RateText(uint64_t bytesPerSecond) { return fmt::format("{:.2f} KB/s", double(bytesPerSecond) / 1024); }

std::string SoundWords(const SoundFacts& sound) {
    // FFmpeg names PCM by its sample layout (pcm_s16le): a player says PCM.
    const std::string codec = sound.codec.rfind("pcm_", 0) == 0 ? "PCM" : Upper(sound.codec);
    const std::string channels = sound.channels == 1 ? "mono" : sound.channels == 2 ? "stereo"
                                                                                   : fmt::format("{}ch", sound.channels);
    return fmt::format("{} {} kHz {}", codec, Decimal(sound.sampleRate / 1000.0, 3), channels);
}

int64_t MovieDurationUs(const MovieFacts& facts, const VideoPlan& video) {
    const int64_t frames = LengthInFrames(facts.timing, video, {}).value_or(0);
    return FramesDurationUs(uint64_t(frames), video.sourceRateNumerator, video.sourceRateDenominator);
}

std::string FactsLine(const MovieFacts& facts, const VideoPlan& video) {
    const BitmapInfoHeader& picture = facts.videoFormat.bmiHeader;
    const int64_t wholeSeconds = MovieDurationUs(facts, video) / kMicrosecondsPerSecond;
    return fmt::format("{} ・ {}×{} ・ {} fps ・ {}", FormatMovieTime(wholeSeconds * kMicrosecondsPerSecond),
                       picture.biWidth, picture.biHeight,
                       RateWords(video.sourceRateNumerator, video.sourceRateDenominator),
                       facts.sound ? SoundWords(*facts.sound) : "音声なし");
}

EstimateWords EstimateLine(const ConversionPlan& plan, uint64_t sizeBytes) {
    const uint64_t room = sizeBytes > 0 ? sizeBytes : kCartridgeLimitBytes;
    const std::string head = fmt::format("推定 {} ・ {}", MegabyteWords(plan.imageBytes), SpokenDuration(plan.playingUs));
    if (plan.imageBytes <= room) return {fmt::format("{} ・ {} に収まります", head, SizeName(room)), true};
    const VideoPlan& video = plan.video;
    const int64_t fitting = PlayingTimeUs(video, FramesFitting(video, room));
    return {fmt::format("{} ・ {} に収まりません（この設定で収まるのは {} まで）", head, SizeName(room), SpokenDuration(fitting)),
            false};
}
