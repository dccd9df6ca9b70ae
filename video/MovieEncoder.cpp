#include "video/MovieEncoder.h"

#include <algorithm>

#include "format/MovieStream.h"
#include "format/SeekPoints.h"

std::atomic<int32_t> LastProgressSent{-1};

namespace {

bool IsSize(int32_t value, int32_t limit) {
    return value == -1 || (value >= 1 && value <= limit && value % 4 == 0);
}

}  // namespace

MovieEncoder::MovieEncoder() = default;

MovieEncoder::~MovieEncoder() {
    StopCompression();
    if (compressor) compressor->CompressEnd();
}

bool MovieEncoder::SetOutputFile(const std::string& path) {
    if (path.empty()) return false;
    outputPath = path;
    return true;
}

bool MovieEncoder::SetParameters(const Trims& trims, bool autoTrim, int32_t width, int32_t height,
                                 int32_t frameRateMode, int32_t preFilter, int32_t bitrate) {
    if (!IsSize(width, movie_stream::kMaxWidth) || !IsSize(height, movie_stream::kMaxHeight)) return false;
    if (frameRateMode < -1 || frameRateMode > 7 || preFilter < 0 || preFilter > 3 || bitrate < 1) return false;
    plan.trimLeft = trims.left;
    plan.trimTop = trims.top;
    plan.trimRight = trims.right;
    plan.trimBottom = trims.bottom;
    plan.autoTrim = autoTrim;
    plan.outputWidth = width;
    plan.outputHeight = height;
    plan.frameRateMode = frameRateMode;
    plan.preFilter = preFilter;
    plan.bitrate = bitrate;
    return true;
}

bool MovieEncoder::SetScreen(const ScreenAdjustment& adjustment) {
    const auto within = [](int32_t value) { return value >= -100 && value <= 100; };
    if (adjustment.screen > Screen::Sp || !within(adjustment.brightness) || !within(adjustment.gamma) ||
        !within(adjustment.saturation))
        return false;
    screen = adjustment;
    return true;
}

void MovieEncoder::SetByteRate(uint32_t bytesPerSecond) { SetBytesPerSecond(plan, bytesPerSecond); }

void MovieEncoder::SetProbedRate(uint32_t rate, uint32_t scale) {
    plan.probedRate = rate;
    plan.probedScale = scale;
}

bool MovieEncoder::SetupVideo(const VideoInfoHeader& format) {
    if (!PlanVideo(plan, format)) return false;
    frameFormat = format.bmiHeader;
    frameFormat.biWidth = plan.outputWidth;
    frameFormat.biHeight = plan.outputHeight;
    frameFormat.biSizeImage = uint32_t(plan.outputWidth) * uint32_t(plan.outputHeight) * 3;
    const size_t extensionBytes =
        format.bmiHeader.biSize > kBitmapInfoHeaderBytes ? format.bmiHeader.biSize - kBitmapInfoHeaderBytes : 0;
    frameFormatExtension.assign(format.bmiExtension.begin(),
                                format.bmiExtension.begin() + std::min(extensionBytes, format.bmiExtension.size()));
    scaler = FrameScaler(plan, screen);
    scaledFrame.assign(frameFormat.biSizeImage, 0);
    compressParams.lpbiInput = &frameFormat;
    compressParams.lpbiPrev = &frameFormat;
    compressParams.lpPrev = nullptr;  // none yet: the first frame is intra
    return true;
}

uint32_t MovieEncoder::SeekInterval() const {
    return seekSpacingRefreshes == 0 ? 0 : seek_points::SeekInterval(plan.frameStep, seekSpacingRefreshes);
}

void MovieEncoder::ScaleFrame(const uint8_t* frame, uint8_t* scaled) const {
    scaler.Scale(frame, scaled);
}
