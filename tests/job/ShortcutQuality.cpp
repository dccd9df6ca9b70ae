#include "tests/job/ShortcutQuality.h"

#include "cinepak/CinepakCompressor.h"
#include "job/Completion.h"
#include "job/ConversionPlan.h"
#include "job/ConversionWorker.h"
#include "tests/cinepak/oracle/FfmpegCinepak.h"
#include "tests/job/JobTestSupport.h"
#include "tests/player/CinepakOracle.h"
#include "tests/player/ShownFrames.h"
#include "tests/video/FakeCompressor.h"

namespace {

using Picture = std::vector<uint8_t>;  // top-down R, G, B

// The image of a conversion with the default settings, and the pictures the compressor was
// given (taken in a second conversion by a stand-in compressor); none when either fails.
struct Conversion {
    std::vector<uint8_t> image;
    std::vector<Picture> input;
};

Conversion Convert(const std::string& movie, const std::string& output) {
    ConversionRequest request;
    request.moviePath = movie;
    request.outputPath = output;
    Conversion conversion;
    FakeCompressorScript script;
    script.observe = [&](const ICCOMPRESS& params) {
        const std::span<const uint8_t> picture(params.lpInput, params.lpbiInput->biSizeImage);
        conversion.input.push_back(cinepak_test::TopDownRgb(picture, params.lpbiInput->biWidth, params.lpbiInput->biHeight));
    };
    bool converted = false;
    {
        ScopedFakeCompressor fake(script);
        converted = ConversionWorker(request) == kCompleted;
    }
    InstallCinepakCompressor();
    if (!converted || ConversionWorker(request) != kCompleted) return {};
    conversion.image = ReadBytes(output);
    return conversion;
}

// The image's pictures as FFmpeg's Cinepak decoder shows its records; empty when it does not read.
std::vector<Picture> Shown(const std::vector<uint8_t>& image) {
    const MovieStreamCheck stream = ReadMovieStream(image, PlayerBytes());
    if (!stream.ok) return {};
    CinepakOracle oracle(stream.info.width, stream.info.height);
    std::vector<Picture> pictures;
    for (const FrameRecord& record : RecordsOf(image, PlayerBytes(), stream.info)) pictures.push_back(oracle.Decode(record));
    return pictures;
}

double MeanPsnr(const std::vector<Picture>& a, const std::vector<Picture>& b) {
    double total = 0;
    for (size_t i = 0; i < a.size(); ++i) total += cinepak_test::Psnr(a[i], b[i]);
    return total / double(a.size());
}

}  // namespace

ShortcutEffect MeasureShortcut(const std::string& movie, const std::string& folder,
                               const std::function<void(bool)>& useShortcut) {
    const std::string output = folder + "/shortcut.gba";
    useShortcut(false);
    const Conversion full = Convert(movie, output);
    useShortcut(true);
    const Conversion shortcut = Convert(movie, output);
    useShortcut(false);
    const std::vector<Picture> fullShown = Shown(full.image), shortcutShown = Shown(shortcut.image);
    ShortcutEffect effect;
    effect.ok = !full.input.empty() && shortcut.input.size() == full.input.size() &&
                fullShown.size() == full.input.size() && shortcutShown.size() == full.input.size();
    if (!effect.ok) return effect;
    effect.input = MeanPsnr(shortcut.input, full.input);
    effect.withoutImage = MeanPsnr(fullShown, full.input);
    effect.withImage = MeanPsnr(shortcutShown, full.input);
    effect.image = full.image;
    effect.shortcutImage = shortcut.image;
    return effect;
}
