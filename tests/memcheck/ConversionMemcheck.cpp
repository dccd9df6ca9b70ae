// Converts a tiny movie of every picture size and pixel format below, each into a cartridge
// image that must read back whole. FFmpeg writes into our buffers on the way (the decoder's
// picture converter above all), so scripts/test runs this program under valgrind as well.
//
//   conversion_memcheck              makes the movies in a scratch folder and converts them
//   conversion_memcheck --make DIR   only makes the movies in DIR
//   conversion_memcheck DIR          only converts the movies in DIR (the valgrind run)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "job/ConversionWorker.h"
#include "platform/RunState.h"
#include "resources/Resources.h"
#include "source/FfmpegHandles.h"
#include "tests/source/FixtureMovies.h"
#include "tests/support/ScratchFolder.h"
#include "video/MovieStreamReader.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

namespace {

namespace fs = std::filesystem;

struct Size {
    int width, height;
};

// The common 240p size, small and odd ones, SD and HD, and extreme aspects.
constexpr Size kSizes[] = {{426, 240}, {120, 80}, {300, 200}, {2, 2},   {3, 7},
                           {854, 480}, {1920, 1080}, {1000, 16}, {1, 1}};

// The formats decoders hand over, each from a codec that delivers it as it is.
struct Format {
    AVPixelFormat pixelFormat;
    AVCodecID codec;
};
constexpr Format kFormats[] = {{AV_PIX_FMT_YUV420P, AV_CODEC_ID_RAWVIDEO},
                               {AV_PIX_FMT_YUVJ422P, AV_CODEC_ID_MJPEG},
                               {AV_PIX_FMT_GRAY8, AV_CODEC_ID_RAWVIDEO},
                               {AV_PIX_FMT_RGB24, AV_CODEC_ID_PNG},
                               {AV_PIX_FMT_PAL8, AV_CODEC_ID_PNG}};

constexpr int kFrames = 2;

std::string MovieName(const Format& format, const Size& size) {
    return std::string(av_get_pix_fmt_name(format.pixelFormat)) + "-" + std::to_string(size.width) + "x" +
           std::to_string(size.height) + ".avi";
}

// The pixel format the movie's decoder hands over, as FFmpeg reports it after probing.
AVPixelFormat DecodedFormat(const std::string& path) {
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) return AV_PIX_FMT_NONE;
    const ffmpeg::FormatContextPtr input(opened);
    if (avformat_find_stream_info(opened, nullptr) < 0) return AV_PIX_FMT_NONE;
    const int index = av_find_best_stream(opened, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    return index < 0 ? AV_PIX_FMT_NONE : AVPixelFormat(opened->streams[index]->codecpar->format);
}

bool MakeMovies(const fs::path& folder) {
    bool ok = true;
    for (const Format& format : kFormats)
        for (const Size& size : kSizes) {
            FixtureMovie movie;
            movie.container = "avi";
            movie.video->codec = format.codec;
            movie.video->pixelFormat = format.pixelFormat;
            movie.video->width = size.width;
            movie.video->height = size.height;
            movie.video->frameCount = kFrames;
            movie.audio = FixtureAudio{.sampleCount = 44100 * kFrames / 25};
            const std::string path = (folder / MovieName(format, size)).string();
            std::string message;
            if (WriteFixtureMovie(path, movie, message) != FixtureStatus::Written) {
                ok = false;
            } else if (const AVPixelFormat decoded = DecodedFormat(path); decoded != format.pixelFormat) {
                message = std::string("decodes as ") + (decoded == AV_PIX_FMT_NONE ? "nothing" : av_get_pix_fmt_name(decoded));
                ok = false;
            }
            if (!message.empty()) std::fprintf(stderr, "%s: %s\n", MovieName(format, size).c_str(), message.c_str());
        }
    return ok;
}

// Converts one movie; an empty answer when the image reads back whole.
std::string Convert(const fs::path& movie) {
    ConversionRequest request;
    request.moviePath = movie.string();
    request.outputPath = fs::path(movie).replace_extension(".gba").string();
    request.frameRateChoice = 1;  // every frame
    AbortRequested = false;
    ErrorDetail.clear();
    if (const int code = ConversionWorker(request); code != 0)
        return "completion code " + std::to_string(code) + " " + ErrorDetail;
    std::ifstream in(request.outputPath, std::ios::binary);
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    fs::remove(request.outputPath);
    const MovieStreamCheck stream = ReadMovieStream(image, FindModuleResource("BINARY", 130)->size());
    if (!stream.ok) return stream.error;
    return stream.info.frameCount == kFrames ? "" : "frames written: " + std::to_string(stream.info.frameCount);
}

int ConvertMovies(const fs::path& folder) {
    int passed = 0, failed = 0;
    for (const Format& format : kFormats)
        for (const Size& size : kSizes) {
            const std::string name = MovieName(format, size);
            const std::string failure = Convert(folder / name);
            if (failure.empty()) {
                ++passed;
            } else {
                ++failed;
                std::fprintf(stderr, "FAILED %s: %s\n", name.c_str(), failure.c_str());
            }
        }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (arguments.size() == 2 && arguments[0] == "--make") return MakeMovies(arguments[1]) ? 0 : 1;
    if (arguments.size() == 1) return ConvertMovies(arguments[0]);
    const ScratchFolder scratch;
    if (!MakeMovies(scratch.Path())) return 1;
    return ConvertMovies(scratch.Path());
}
