// What each bitrate buys: two minute-long 240 x 160 movies at 12 frames a second, one of
// detailed film-like shots with grain and one of flat animation-like drawings, converted at
// 20 .. 200 KB/s. Per rate: the PSNR of the pictures on the handheld's 15-bit screen (FFmpeg's
// Cinepak decoder on each frame record, each channel reduced to 5 bits as the screen shows it)
// against the movie's own pictures, with the default pre-filter (4-level dithering, which
// keeps the colours' mean where cutting shifts them) and with the pictures cut to 15 bits; how
// far the default lies below the screen's ceiling (the movie's pictures themselves reduced to
// 15 bits, measured in the same run); and how many minutes of such a movie, sound included, a
// 32 MiB cartridge holds at the default image's real size.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <vector>

#include "bench/cinepak/FilmContent.h"
#include "job/Completion.h"
#include "job/ConversionPlan.h"
#include "job/ConversionWorker.h"
#include "platform/RunState.h"
#include "tests/cinepak/oracle/FfmpegCinepak.h"
#include "tests/player/CinepakOracle.h"
#include "tests/player/PlayerRun.h"
#include "tests/player/ShownFrames.h"
#include "tests/source/FixtureMovies.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr int kWidth = 240, kHeight = 160;
constexpr int kFramesPerSecond = 12;
constexpr int kSeconds = 60;
constexpr int kFrames = kFramesPerSecond * kSeconds;
constexpr int kRates[] = {20, 40, 60, 90, 120, 200};
constexpr double kCartridgeBytes = 32.0 * 1024 * 1024;

using Picture = std::vector<uint8_t>;  // top-down R, G, B

struct Content {
    const char* file;
    const char* name;
    std::function<Picture(int frame)> picture;
};

// Flat colours with dark outlines: drifting clouds over a hill, a bouncing ball with eyes and
// a box sliding the other way; every 15 s a cut to a room with a window and its own colours.
Picture AnimationFrame(int frame) {
    Picture picture(size_t(kWidth) * kHeight * 3);
    const int scene = frame / (15 * kFramesPerSecond) % 2;
    const auto put = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* pixel = &picture[(size_t(y) * kWidth + size_t(x)) * 3];
        pixel[0] = r, pixel[1] = g, pixel[2] = b;
    };
    const auto inDisc = [](int x, int y, int cx, int cy, int radius) {
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
    const int ballX = 20 + (frame * 3) % 200, ballY = 100 - std::abs((frame * 5) % 80 - 40);
    const int boxX = 220 - (frame * 2) % 220;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (scene == 0) {
                const int hill = 110 + (x - 120) * (x - 120) / 400;
                const int cloudX = (frame + 40) % 300 - 30;
                if (y > hill) put(x, y, 70, 160, 60);
                else if (y > hill - 2) put(x, y, 20, 40, 20);
                else if (inDisc(x, y, cloudX, 30, 14) || inDisc(x, y, cloudX + 16, 26, 12)) put(x, y, 250, 250, 250);
                else if (inDisc(x, y, 200, 28, 12)) put(x, y, 250, 210, 40);
                else put(x, y, 120, 180, 240);
            } else {
                const bool window = x > 140 && x < 210 && y > 20 && y < 70;
                const bool frameBar = window && (std::abs(x - 175) < 2 || std::abs(y - 45) < 2);
                if (y > 120) put(x, y, 140, 90, 50);
                else if (frameBar) put(x, y, 90, 60, 40);
                else if (window) put(x, y, 150, 200, 250);
                else put(x, y, 230, 210, 170);
            }
            if (inDisc(x, y, ballX, ballY, 18)) {
                const bool eye = inDisc(x, y, ballX - 6, ballY - 5, 4) || inDisc(x, y, ballX + 6, ballY - 5, 4);
                const bool pupil = inDisc(x, y, ballX - 5, ballY - 5, 2) || inDisc(x, y, ballX + 7, ballY - 5, 2);
                if (!inDisc(x, y, ballX, ballY, 16)) put(x, y, 30, 20, 20);
                else if (pupil) put(x, y, 10, 10, 10);
                else if (eye) put(x, y, 255, 255, 255);
                else put(x, y, 240, 120, 40);
            }
            if (x >= boxX && x < boxX + 30 && y >= 128 && y < 150)
                put(x, y, x < boxX + 2 || x >= boxX + 28 || y < 130 || y >= 148 ? 20 : 200, 30, 50);
        }
    return picture;
}

bool WriteMovie(const std::string& path, const Content& content) {
    FixtureMovie movie;
    movie.video->width = kWidth;
    movie.video->height = kHeight;
    movie.video->frameRate = {kFramesPerSecond, 1};
    movie.video->frameCount = kFrames;
    movie.video->draw = [&content](int index, std::span<Rgb> picture) {
        const Picture source = content.picture(index);
        for (size_t i = 0; i < picture.size(); ++i) picture[i] = {source[3 * i], source[3 * i + 1], source[3 * i + 2]};
    };
    movie.audio = FixtureAudio{};
    movie.audio->sampleCount = movie.audio->sampleRate * kSeconds;
    std::string message;
    if (WriteFixtureMovie(path, movie, message) == FixtureStatus::Written) return true;
    std::printf("cannot make the movie: %s\n", message.c_str());
    return false;
}

// The screen's picture in 8 bits a channel, each 5-bit channel widened as the screen's
// converter does: the top bits repeated below.
Picture OnScreen(const Picture& rgb) {
    const std::vector<uint16_t> screen = ExpectedScreen(rgb, kWidth, kHeight);
    Picture shown(rgb.size());
    for (size_t i = 0; i < screen.size(); ++i)
        for (int channel = 0; channel < 3; ++channel) {
            const int five = screen[i] >> (5 * channel) & 31;
            shown[3 * i + size_t(channel)] = uint8_t(five << 3 | five >> 2);
        }
    return shown;
}

struct Measured {
    bool ok = false;
    double psnr = 0;  // mean over the frames
    uint64_t imageBytes = 0;
};

constexpr int kDefaultPreFilter = 3, kCutTo15Bits = 1;

Measured Convert(const std::string& movie, const std::string& output, int rate, int preFilter, const Content& content) {
    ConversionRequest request;
    request.moviePath = movie;
    request.outputPath = output;
    request.bitrate = rate;
    request.preFilter = preFilter;
    request.frameRateChoice = 1;  // every frame, so that record j is movie frame j
    if (const int code = ConversionWorker(request); code != kCompleted) {
        std::printf("conversion at %d KB/s failed with code %d: %s\n", rate, code, ErrorDetail.c_str());
        return {};
    }
    std::ifstream in(output, std::ios::binary);
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t player = PlayerBytes();
    const MovieStreamCheck stream = ReadMovieStream(image, player);
    if (!stream.ok || stream.info.width != kWidth || stream.info.height != kHeight ||
        stream.info.records.size() != size_t(kFrames)) {
        std::printf("the image at %d KB/s is not %d records of %d x %d: %s\n", rate, kFrames, kWidth, kHeight,
                    stream.error.c_str());
        return {};
    }
    CinepakOracle oracle(kWidth, kHeight);
    double total = 0;
    int frame = 0;
    for (const FrameRecord& record : RecordsOf(image, player, stream.info))
        total += cinepak_test::Psnr(OnScreen(oracle.Decode(record)), content.picture(frame++));
    return {true, total / kFrames, image.size()};
}

double Ceiling(const Content& content) {
    double total = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        const Picture picture = content.picture(frame);
        total += cinepak_test::Psnr(OnScreen(picture), picture);
    }
    return total / kFrames;
}

bool Run(const Content& content, const std::filesystem::path& folder) {
    const std::string movie = (folder / (std::string(content.file) + ".avi")).string();
    if (!WriteMovie(movie, content)) return false;
    const double ceiling = Ceiling(content);
    std::printf("\n%s: %d s of %d x %d at %d fps; the 15-bit screen's ceiling %.2f dB\n", content.name, kSeconds,
                kWidth, kHeight, kFramesPerSecond, ceiling);
    std::printf("  KB/s | PSNR dB | below ceiling | cut to 15 bits | image bytes | minutes per 32 MiB\n");
    const std::string output = (folder / "out.gba").string();
    for (const int rate : kRates) {
        const Measured dithered = Convert(movie, output, rate, kDefaultPreFilter, content);
        const Measured cut = Convert(movie, output, rate, kCutTo15Bits, content);
        if (!dithered.ok || !cut.ok) return false;
        const double perSecond = double(dithered.imageBytes - PlayerBytes()) / kSeconds;
        std::printf("  %4d | %7.2f | %13.2f | %14.2f | %11llu | %6.1f\n", rate, dithered.psnr, ceiling - dithered.psnr,
                    cut.psnr, static_cast<unsigned long long>(dithered.imageBytes),
                    (kCartridgeBytes - double(PlayerBytes())) / perSecond / 60);
    }
    return true;
}

}  // namespace

int main() {
    const ScratchFolder folder;
    const std::vector<Picture> film = cinepak_bench::MakeFilmFrames(kWidth, kHeight);
    static_assert(cinepak_bench::kFilmFramesPerSecond == kFramesPerSecond);
    const Content contents[] = {
        {"film", "film-like (detailed shots with grain, the shots over again every 12 s)",
         [&film](int frame) { return film[size_t(frame) % film.size()]; }},
        {"animation", "animation-like (flat colours, outlines)", AnimationFrame},
    };
    for (const Content& content : contents)
        if (!Run(content, folder.Path())) return 1;
    return 0;
}
