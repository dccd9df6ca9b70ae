#include "video/VideoPlan.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "format/MovieStream.h"

namespace {

// Constants that no double holds exactly, spelled as the plan's arithmetic expects them.
constexpr double kTwoThirds = 2.0 / 3.0;       // 0x3FE5555555555555, slightly below 2/3
constexpr double kOneFifteenth = 1.0 / 15.0;   // 0x3FB1111111111111, slightly below 1/15
constexpr int64_t kHnsPer1000Seconds = 10'000'000'000;

bool IsUncompressedRgb24(const BitmapInfoHeader& header) {
    return header.biPlanes == 1 && header.biBitCount == 24 && header.biCompression == 0;
}

bool PlanSourceRate(VideoPlan& plan, int64_t avgTimePerFrame) {
    if (avgTimePerFrame < 0) return false;
    if (avgTimePerFrame != 0) {
        // Frames per 1000 seconds. Frame durations above 10^10 give 0 frames and are refused,
        // like durations so short that the rate leaves 32 bits.
        int64_t numerator = kHnsPer1000Seconds / avgTimePerFrame;
        if (numerator == 0 || numerator > int64_t(std::numeric_limits<uint32_t>::max())) return false;
        plan.rateNumerator = uint32_t(numerator);
        plan.rateDenominator = 1000;
    } else {
        if (plan.probedRate == 0 || plan.probedScale == 0) return false;
        plan.rateNumerator = plan.probedRate;
        plan.rateDenominator = plan.probedScale;
    }
    plan.sourceRateNumerator = plan.rateNumerator;
    plan.sourceRateDenominator = plan.rateDenominator;
    return true;
}

// Splits an excess of pixels over two margins; an odd pixel goes to the second one.
void GrowMargins(int32_t& first, int32_t& second, int32_t excess) {
    first += excess / 2;
    second += excess - excess / 2;
}

// Trims the crop further to the screen's 3:2 aspect. round4 may overshoot the crop by up to
// 3 pixels; the target then drops by 4 so that the crop stays inside the decoded frame.
bool TrimToScreenAspect(VideoPlan& plan) {
    plan.outputWidth = int32_t(movie_stream::kMaxWidth);
    plan.outputHeight = int32_t(movie_stream::kMaxHeight);
    const int32_t c = plan.CropWidth();
    const int32_t d = plan.CropHeight();
    if (double(c + c) / d > 3.0) {
        int32_t f = Round4(1.5 * d);
        if (f > c) f -= 4;
        if (f <= 0) return false;
        GrowMargins(plan.trimLeft, plan.trimRight, c - f);
    } else {
        int32_t g = Round4(c * kTwoThirds);
        if (g > d) g -= 4;
        if (g <= 0) return false;
        GrowMargins(plan.trimTop, plan.trimBottom, d - g);
    }
    return true;
}

bool ChooseAutomaticSize(VideoPlan& plan) {
    const int32_t c = plan.CropWidth();
    const int32_t d = plan.CropHeight();
    const int32_t w = Round4(double(int64_t(c) * movie_stream::kMaxHeight) / d);
    if (w <= int32_t(movie_stream::kMaxWidth)) {
        plan.outputWidth = w;
        plan.outputHeight = int32_t(movie_stream::kMaxHeight);
    } else {
        plan.outputWidth = int32_t(movie_stream::kMaxWidth);
        plan.outputHeight =
            std::min(Round4(double(int64_t(d) * movie_stream::kMaxWidth) / c), int32_t(movie_stream::kMaxHeight));
    }
    // An extremely narrow or wide crop rounds one side to nothing: no picture to encode.
    return plan.outputWidth > 0 && plan.outputHeight > 0;
}

void ChooseAutomaticRate(VideoPlan& plan) {
    const double fps = double(plan.rateNumerator) / plan.rateDenominator;
    if (fps > 15.0) {
        // Extended precision decides the boundary cases: 18.75 fps lands just below 2.
        const long double divisor = static_cast<long double>(fps) * kOneFifteenth + 0.75L;
        plan.decimationDivisor = uint32_t(divisor);
    } else {
        plan.frameRateMode = 0;
    }
}

struct Reduction {
    uint32_t kept, of;
};

// Frames kept of a group, by frame-rate mode 0..7 (mode -1 keeps 1 of decimationDivisor).
constexpr Reduction kReductions[] = {{1, 1}, {4, 5}, {2, 3}, {1, 2}, {2, 5}, {1, 3}, {1, 4}, {1, 5}};

bool ApplyDecimation(VideoPlan& plan) {
    Reduction reduction{1, plan.decimationDivisor};
    if (plan.frameRateMode >= 0) {
        reduction = kReductions[plan.frameRateMode];
        if (plan.frameRateMode >= 6) {
            plan.frameRateMode = -1;
            plan.decimationDivisor = reduction.of;
        }
    }
    const uint64_t numerator = uint64_t(plan.rateNumerator) * reduction.kept;
    const uint64_t denominator = uint64_t(plan.rateDenominator) * reduction.of;
    if (numerator > std::numeric_limits<uint32_t>::max() || denominator > std::numeric_limits<uint32_t>::max())
        return false;
    plan.rateNumerator = uint32_t(numerator);
    plan.rateDenominator = uint32_t(denominator);
    return true;
}

double FrameStep(uint32_t rateNumerator, uint64_t rateDenominator) {
    return (double(rateNumerator) * movie_stream::kOneFrame) /
           (double(rateDenominator) * movie_stream::kFrameStepRefreshHz);
}

// A planned rate above the display's would leave frames unshown: the smallest whole divisor
// that brings it to at most one frame per refresh thins the kept frames further.
bool LimitToRefreshRate(VideoPlan& plan) {
    // A frame step of 0x10000 after truncation is one frame per refresh. At most some 72,000
    // rounds: the numerator has 32 bits.
    uint64_t divisor = 1;
    while (FrameStep(plan.rateNumerator, plan.rateDenominator * divisor) >= 65537.0) ++divisor;
    const uint64_t denominator = uint64_t(plan.rateDenominator) * divisor;
    if (denominator > std::numeric_limits<uint32_t>::max()) return false;
    plan.refreshDivisor = uint32_t(divisor);
    plan.rateDenominator = uint32_t(denominator);
    return true;
}

// A frame step of 0 (less than one frame in about 1097 seconds) would leave the sound without
// a length; a step beyond 32 bits has no meaning for the player. Both are refused.
bool PlanBudgetAndStep(VideoPlan& plan) {
    const unsigned __int128 average = (unsigned __int128)BytesPerSecond(plan) * plan.rateDenominator / plan.rateNumerator;
    plan.averageFrameBytes = uint32_t(std::min<unsigned __int128>(average, std::numeric_limits<uint32_t>::max()));
    const double step = FrameStep(plan.rateNumerator, plan.rateDenominator);
    if (!(step >= 1.0) || step >= 4294967296.0) return false;
    plan.frameStep = uint32_t(step);
    return true;
}

}  // namespace

bool MarginsLeavePicture(const VideoPlan& plan, const BitmapInfoHeader& header) {
    if (plan.trimLeft < 0 || plan.trimTop < 0 || plan.trimRight < 0 || plan.trimBottom < 0) return false;
    return int64_t(plan.trimLeft) + plan.trimRight < header.biWidth &&
           int64_t(plan.trimTop) + plan.trimBottom < header.biHeight;
}

uint64_t BytesPerSecond(const VideoPlan& plan) {
    return uint64_t(uint32_t(plan.bitrate)) * 1024 + plan.extraBytesPerSecond;
}

void SetBytesPerSecond(VideoPlan& plan, uint32_t bytesPerSecond) {
    plan.bitrate = int32_t(bytesPerSecond / 1024);
    plan.extraBytesPerSecond = bytesPerSecond % 1024;
}

int32_t Round4(double x) {
    return int32_t(x + 2.5) & ~3;
}

bool PlanVideo(VideoPlan& plan, const VideoInfoHeader& format) {
    const BitmapInfoHeader& header = format.bmiHeader;
    if (!IsUncompressedRgb24(header)) return false;
    if (!PlanSourceRate(plan, format.AvgTimePerFrame)) return false;
    if (!MarginsLeavePicture(plan, header)) return false;
    plan.sourceWidth = header.biWidth;
    plan.sourceHeight = header.biHeight;
    if (plan.autoTrim && !TrimToScreenAspect(plan)) return false;
    // Only both-automatic or both-given sizes are defined; one automatic side alone is refused.
    if ((plan.outputWidth == -1) != (plan.outputHeight == -1)) return false;
    if (plan.outputWidth == -1 && !ChooseAutomaticSize(plan)) return false;
    if (plan.frameRateMode == -1) ChooseAutomaticRate(plan);
    if (!ApplyDecimation(plan) || !LimitToRefreshRate(plan)) return false;
    return PlanBudgetAndStep(plan);
}
