#include "job/HandheldPicture.h"

#include <algorithm>
#include <array>

#include "cinepak/CinepakCompressor.h"
#include "format/Handheld.h"
#include "source/MediaSource.h"
#include "video/MovieEncoder.h"

namespace {

constexpr char kNotCoded[] = "Cinepak で符号化できません";
constexpr size_t kScreenPixels = size_t(handheld::kScreenWidth) * handheld::kScreenHeight;

// A channel as the screen shows it: its top 5 bits, widened back to 8 the usual way.
uint8_t OnScreen(uint8_t channel) {
    const uint8_t five = channel >> 3;
    return uint8_t(five << 3 | five >> 2);
}

// Places a width x height picture in the middle of the black screen; `pixel(x, y)` gives the
// R,G,B of its pixel (x, y), counted from the top left.
template <typename Pixel>
std::vector<uint8_t> Centred(int32_t width, int32_t height, Pixel pixel) {
    std::vector<uint8_t> screen(kScreenPixels * 3, 0);
    const uint32_t left = handheld::CentredOffset(handheld::kScreenWidth, uint32_t(width));
    const uint32_t top = handheld::CentredOffset(handheld::kScreenHeight, uint32_t(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const std::array<uint8_t, 3> rgb = pixel(x, y);
            uint8_t* out = screen.data() + ((top + uint32_t(y)) * handheld::kScreenWidth + left + uint32_t(x)) * 3;
            for (size_t c = 0; c < 3; ++c) out[c] = OnScreen(rgb[c]);
        }
    return screen;
}

// The compressor's input format for the plan's frames.
BitmapInfoHeader FrameFormat(const VideoPlan& plan) {
    BitmapInfoHeader format;
    format.biWidth = plan.outputWidth;
    format.biHeight = plan.outputHeight;
    format.biBitCount = 24;
    format.biSizeImage = uint32_t(plan.outputWidth) * uint32_t(plan.outputHeight) * 3;
    return format;
}

}  // namespace

std::optional<HandheldPicture> PictureOnHandheld(const JobArguments& arguments, const MovieFacts& facts,
                                                 std::span<const uint8_t> shown, std::string& error) {
    MovieEncoder encoder;
    if (!ConfigureEncoder(encoder, arguments)) {
        error = std::string(CompletionCause(kParametersRejected));
        return std::nullopt;
    }
    encoder.SetProbedRate(facts.probedRate, facts.probedScale);
    if (!encoder.SetupVideo(facts.videoFormat)) {
        error = PictureRefusalText(encoder.Plan(), facts.videoFormat.bmiHeader);
        return std::nullopt;
    }
    const VideoPlan& plan = encoder.Plan();
    if (shown.size() < SourceFrameBytes(plan)) {
        error = "映像の大きさが変わりました";
        return std::nullopt;
    }
    HandheldPicture picture{plan, std::vector<uint8_t>(encoder.ScaledFrame().size()), {}};
    encoder.ScaleFrame(shown.data(), picture.scaled.data());
    const int32_t width = plan.outputWidth, height = plan.outputHeight;
    picture.screen = Centred(width, height, [&](int32_t x, int32_t y) {
        const uint8_t* bgr = picture.scaled.data() + (size_t(height - 1 - y) * size_t(width) + size_t(x)) * 3;
        return std::array<uint8_t, 3>{bgr[2], bgr[1], bgr[0]};
    });
    return picture;
}

std::optional<CodedPicture> CodeOnHandheld(const HandheldPicture& picture, std::string& error) {
    const VideoPlan& plan = picture.plan;
    BitmapInfoHeader input = FrameFormat(plan);
    BitmapInfoHeader output;
    CinepakCompressor compressor;
    if (compressor.CompressGetFormat(&input, &output) != ICERR_OK) {
        error = kNotCoded;
        return std::nullopt;
    }
    const long maxBytes = compressor.CompressGetSize(&input, &output);
    if (maxBytes <= 0 || compressor.CompressBegin(&input, &output) != ICERR_OK) {
        error = kNotCoded;
        return std::nullopt;
    }
    CodedPicture coded{std::vector<uint8_t>(size_t(maxBytes)), {}};
    ICCOMPRESS params;
    params.dwFlags = ICCOMPRESS_KEYFRAME;
    params.lpbiOutput = &output;
    params.lpOutput = coded.frame.data();
    params.lpbiInput = &input;
    params.lpInput = picture.scaled.data();
    params.dwFrameSize = plan.averageFrameBytes;
    const bool compressed = compressor.Compress(&params) == ICERR_OK;
    const std::vector<uint8_t> rgb = compressor.Reconstruction();  // gone once the compressor ends
    (void)compressor.CompressEnd();
    const int32_t width = plan.outputWidth;
    if (!compressed || rgb.size() != size_t(width) * size_t(plan.outputHeight) * 3) {
        error = kNotCoded;
        return std::nullopt;
    }
    coded.frame.resize(std::min<size_t>(output.biSizeImage, coded.frame.size()));
    coded.screen = Centred(width, plan.outputHeight, [&](int32_t x, int32_t y) {
        const uint8_t* p = rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
        return std::array<uint8_t, 3>{p[0], p[1], p[2]};
    });
    return coded;
}
