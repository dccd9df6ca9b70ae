#include "cinepak/CinepakCompressor.h"

#include <algorithm>
#include <limits>
#include <new>
#include <span>

#include "cinepak/CinepakEncoder.h"
#include "cinepak/CinepakFormat.h"

namespace {

// Answered to ICM_GETDEFAULTQUALITY. The desired frame size governs every frame; the quality
// that comes back with each frame is not used.
constexpr uint32_t kDefaultQuality = 7500;

bool SizeAccepted(int32_t side, int32_t most) { return side >= cinepak::kMinSide && side <= most && side % 4 == 0; }

bool InputAccepted(const BitmapInfoHeader& input) {
    return input.biBitCount == 24 && input.biCompression == 0 && SizeAccepted(input.biWidth, cinepak::kMaxWidth) &&
           SizeAccepted(input.biHeight, cinepak::kMaxHeight);
}

bool OutputMatches(const BitmapInfoHeader& input, const BitmapInfoHeader& output) {
    return output.biCompression == kCinepakHandler && output.biWidth == input.biWidth &&
           output.biHeight == input.biHeight;
}

uint32_t WorstFrameBytes(const BitmapInfoHeader& input) {
    return cinepak::WorstFrameBytes(input.biWidth, input.biHeight);
}

}  // namespace

CinepakCompressor::CinepakCompressor() = default;
CinepakCompressor::~CinepakCompressor() = default;

long CinepakCompressor::CompressQuery(const BitmapInfoHeader* input, const BitmapInfoHeader* output) {
    if (!input || !InputAccepted(*input)) return ICERR_BADFORMAT;
    if (output && !OutputMatches(*input, *output)) return ICERR_BADFORMAT;
    return ICERR_OK;
}

long CinepakCompressor::CompressGetFormat(const BitmapInfoHeader* input, BitmapInfoHeader* output) {
    if (CompressQuery(input, nullptr) != ICERR_OK) return ICERR_BADFORMAT;
    if (!output) return long(kBitmapInfoHeaderBytes);
    *output = BitmapInfoHeader{};
    output->biWidth = input->biWidth;
    output->biHeight = input->biHeight;
    output->biBitCount = 24;
    output->biCompression = kCinepakHandler;
    output->biSizeImage = WorstFrameBytes(*input);
    return ICERR_OK;
}

long CinepakCompressor::CompressGetSize(const BitmapInfoHeader* input, const BitmapInfoHeader* output) {
    if (CompressQuery(input, output) != ICERR_OK) return ICERR_BADFORMAT;
    return long(WorstFrameBytes(*input));
}

long CinepakCompressor::GetDefaultQuality(uint32_t* quality) {
    if (!quality) return ICERR_BADPARAM;
    *quality = kDefaultQuality;
    return ICERR_OK;
}

long CinepakCompressor::CompressFramesInfo(const ICCOMPRESSFRAMES* info) {
    if (!info) return ICERR_BADPARAM;
    if (info->lpbiInput && CompressQuery(info->lpbiInput, info->lpbiOutput) != ICERR_OK) return ICERR_BADFORMAT;
    // Bytes per frame = bytes per second / (dwRate / dwScale frames per second).
    const bool known = info->lDataRate > 0 && info->dwRate > 0 && info->dwScale > 0;
    const uint64_t average = known ? uint64_t(info->lDataRate) * info->dwScale / info->dwRate : 0;
    averageFrameBytes_ = uint32_t(std::min<uint64_t>(average, std::numeric_limits<uint32_t>::max()));
    frameCount_ = uint32_t(std::max<int32_t>(info->lFrameCount, 0));
    return ICERR_OK;
}

long CinepakCompressor::GetState(uint8_t* state, uint32_t size) {
    const uint32_t bytes = cinepak::CinepakStateBytes();
    if (!state) return long(bytes);
    if (size < bytes) return ICERR_BADSIZE;
    cinepak::StoreCinepakState(options_, std::span(state, bytes));
    return long(bytes);
}

// The options take effect at the next CompressBegin. No state restores the defaults.
long CinepakCompressor::SetState(const uint8_t* state, uint32_t size) {
    if (!state) {
        options_ = {};
        return ICERR_OK;
    }
    return cinepak::LoadCinepakState(std::span(state, size), options_) ? ICERR_OK : ICERR_BADPARAM;
}

long CinepakCompressor::CompressBegin(const BitmapInfoHeader* input, const BitmapInfoHeader* output) {
    if (CompressQuery(input, output) != ICERR_OK) return ICERR_BADFORMAT;
    try {
        encoder_ = std::make_unique<cinepak::CinepakEncoder>(input->biWidth, input->biHeight, options_,
                                                            cinepak::StreamRate{averageFrameBytes_, frameCount_});
    } catch (const std::bad_alloc&) {
        encoder_.reset();
        return ICERR_MEMORY;
    }
    format_ = *input;
    lastFrame_ = -1;
    anyFrame_ = false;
    return ICERR_OK;
}

long CinepakCompressor::Compress(ICCOMPRESS* params) {
    if (!encoder_) return ICERR_ERROR;
    if (!params || !params->lpInput || !params->lpOutput || !params->lpbiOutput || !params->lpbiInput)
        return ICERR_BADPARAM;
    const BitmapInfoHeader& input = *params->lpbiInput;
    if (!InputAccepted(input) || input.biWidth != format_.biWidth || input.biHeight != format_.biHeight)
        return ICERR_BADFORMAT;

    const int32_t frame = params->lFrameNum;
    const bool keyDue = options_.keyInterval > 0 && frame % options_.keyInterval == 0;
    const bool intra = frame == 0 || !params->lpPrev || (params->dwFlags & ICCOMPRESS_KEYFRAME) != 0 || !anyFrame_ ||
                       frame != lastFrame_ + 1 || keyDue;
    const uint32_t worst = WorstFrameBytes(format_);
    const uint32_t target = params->dwFrameSize == 0 ? worst : params->dwFrameSize;
    const uint32_t bytes = encoder_->Encode(params->lpInput, intra, target, std::span(params->lpOutput, worst));

    params->lpbiOutput->biSizeImage = bytes;
    if (params->lpckid) *params->lpckid = cktypeDIBcompressed;
    if (params->lpdwFlags) *params->lpdwFlags = intra ? AVIIF_KEYFRAME : 0;
    lastFrame_ = frame;
    anyFrame_ = true;
    return ICERR_OK;
}

long CinepakCompressor::CompressEnd() {
    encoder_.reset();
    anyFrame_ = false;
    return ICERR_OK;
}

std::vector<uint8_t> CinepakCompressor::Reconstruction() const {
    if (!encoder_ || !anyFrame_) return {};
    return encoder_->Reconstruction();
}

void InstallCinepakCompressor() {
    ICInstallIfAbsent(ICTYPE_VIDEO, kCinepakHandler, [] { return std::make_unique<CinepakCompressor>(); });
}
