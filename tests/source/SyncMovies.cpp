#include "tests/source/SyncMovies.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kSampleRate = 44100;
constexpr int kDvdSampleRate = 48000;
constexpr int16_t kBeepAmplitude = 12000;
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBackground{40, 40, 48};
constexpr Rgb kMarker{220, 30, 30};
// Irregular gaps, each onset a multiple of 0.4 s; the movies last 4 s or more, so that the one
// frame of sound the stream carries beyond the pictures stays within 2 % of their length.
const std::vector<double> kOnsets{0.4, 1.2, 1.6, 2.8, 3.2};

// When flashes and beeps happen, in movie seconds. The onsets lie on the frame grid that
// every shape keeps after the automatic frame-rate reduction (15, 12.5 or 10 frames a
// second), so that each flash can begin on the cartridge exactly when its beep does.
struct Schedule {
    double pictureStart = 0;          // movie time of the first picture
    std::vector<double> onsets;       // flash and beep together, from the first picture
    std::vector<double> extraBeeps;   // movie times of beeps without a picture to flash

    bool Within(double time, const std::vector<double>& starts, double offset) const {
        return std::any_of(starts.begin(), starts.end(), [&](double start) {
            return time >= start + offset - 1e-9 && time < start + offset + kSyncFlashSeconds - 1e-9;
        });
    }
    bool Flashing(double movieTime) const { return Within(movieTime, onsets, pictureStart); }
    bool Beeping(double movieTime) const { return Flashing(movieTime) || Within(movieTime, extraBeeps, 0.0); }
};

// The picture as a player shows it: the marker in its top left corner, or a white flash.
Rgb DisplayPixel(const Schedule& schedule, double movieTime, int x, int y, int width, int height) {
    if (schedule.Flashing(movieTime)) return kWhite;
    return x < width / 4 && y < height / 4 ? kMarker : kBackground;
}

// Pictures of a movie whose frame `index` is presented at `seconds(index)`. With `rotated`,
// the stored picture is the shown one turned a quarter counterclockwise: a player turns it
// back clockwise, as it does for a phone's portrait movie.
FixtureVideo SyncVideo(const Schedule& schedule, FixtureVideo video, std::function<double(int)> seconds, bool rotated) {
    video.draw = [schedule, seconds, rotated, width = video.width, height = video.height](int index,
                                                                                          std::span<Rgb> picture) {
        const double time = seconds(index);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture[size_t(y) * size_t(width) + size_t(x)] =
                    rotated ? DisplayPixel(schedule, time, height - 1 - y, x, height, width)
                            : DisplayPixel(schedule, time, x, y, width, height);
    };
    return video;
}

// Sound from movie time `startSeconds` to `endSeconds`: silence with the schedule's beeps.
FixtureAudio SyncAudio(const Schedule& schedule, AVCodecID codec, int rate, double startSeconds, double endSeconds) {
    FixtureAudio audio{.codec = codec, .sampleRate = rate, .channelMask = AV_CH_LAYOUT_STEREO, .toneHz = {}};
    audio.startSample = std::llround(startSeconds * rate);
    audio.sampleCount = int(std::llround((endSeconds - startSeconds) * rate));
    audio.sound = [schedule, rate, start = audio.startSample](int, int index) -> int16_t {
        const double time = double(start + index) / rate;
        if (!schedule.Beeping(time)) return 0;
        return int16_t(std::lrint(kBeepAmplitude * std::sin(2.0 * std::numbers::pi * kSyncBeepHz * time)));
    };
    return audio;
}

// A constant-rate picture track of `frames` pictures from movie time `start`.
FixtureVideo ConstantRate(const Schedule& schedule, FixtureVideo video, double start, bool rotated = false) {
    const AVRational rate = video.frameRate;
    const int64_t first = std::llround(start * rate.num / rate.den);
    video.pts = [first](int index) { return first + index; };
    return SyncVideo(schedule, video, [first, rate](int index) { return double(first + index) * rate.den / rate.num; },
                     rotated);
}

SyncMovie PlainAvi() {
    const Schedule schedule{.onsets = kOnsets};
    FixtureVideo video{.codec = AV_CODEC_ID_MJPEG, .frameRate = {30, 1}, .frameCount = 120};
    return {.name = "plain",
            .extension = ".avi",
            .movie = {.container = "avi",
                      .video = ConstantRate(schedule, video, 0.0),
                      .audio = SyncAudio(schedule, AV_CODEC_ID_PCM_S16LE, kSampleRate, 0.0, 4.0)},
            .onsets = schedule.onsets,
            .seconds = 4.0};
}

// 10 frames a second for 5 s, then 30 for 2 s, on Matroska's millisecond clock.
SyncMovie VariableRateMkv() {
    const Schedule schedule{.onsets = {0.4, 1.2, 2.0, 3.2, 4.4, 5.2, 5.6, 6.4}};
    const auto milliseconds = [](int index) -> int64_t {
        return index < 50 ? 100 * int64_t(index) : 5000 + std::llround((index - 50) * 1000.0 / 30.0);
    };
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 110, .timeBase = {1, 1000}};
    video.pts = milliseconds;
    return {.name = "variable-rate",
            .extension = ".mkv",
            .movie = {.container = "matroska",
                      .video = SyncVideo(schedule, video, [=](int index) { return milliseconds(index) / 1000.0; }, false),
                      .audio = SyncAudio(schedule, AV_CODEC_ID_AAC, kSampleRate, 0.0, 7.0)},
            .onsets = schedule.onsets,
            .seconds = 7.0};
}

// The sound runs from 0, the picture from 5 s to 9 s; two beeps come before any picture.
SyncMovie LatePictureMp4() {
    const Schedule schedule{.pictureStart = 5.0, .onsets = kOnsets, .extraBeeps = {2.0, 4.0}};
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 120};
    return {.name = "late-picture",
            .extension = ".mp4",
            .movie = {.container = "mp4",
                      .video = ConstantRate(schedule, video, 5.0),
                      .audio = SyncAudio(schedule, AV_CODEC_ID_AAC, kSampleRate, 0.0, 9.0)},
            .onsets = schedule.onsets,
            .seconds = 4.0};
}

// Of the 120 frame slots of 4 s at 30 fps, a picture only in every third, where a flash begins
// or ends and in the last: the AVI muxer writes a zero-length chunk for each slot between.
SyncMovie DropFrameAvi() {
    const Schedule schedule{.onsets = kOnsets};
    std::vector<int64_t> slots;
    for (int slot = 0; slot < 120; ++slot) {
        const double time = slot / 30.0;
        if (slot % 3 == 0 || slot == 119 || schedule.Flashing(time) != schedule.Flashing(time - 1 / 30.0))
            slots.push_back(slot);
    }
    slots.push_back(120);
    FixtureVideo video{.codec = AV_CODEC_ID_CINEPAK, .frameRate = {30, 1}, .frameCount = int(slots.size()) - 1};
    video.pts = [slots](int index) { return slots[size_t(index)]; };
    return {.name = "drop-frames",
            .extension = ".avi",
            .movie = {.container = "avi",
                      .video = SyncVideo(schedule, video, [slots](int index) { return slots[size_t(index)] / 30.0; }, false),
                      .audio = SyncAudio(schedule, AV_CODEC_ID_PCM_S16LE, kSampleRate, 0.0, 4.0)},
            .onsets = schedule.onsets,
            .seconds = 4.0};
}

SyncMovie LateSoundMkv() {
    const Schedule schedule{.onsets = {0.8, 1.2, 2.0, 2.8, 3.2}};
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 120};
    return {.name = "late-sound",
            .extension = ".mkv",
            .movie = {.container = "matroska",
                      .video = ConstantRate(schedule, video, 0.0),
                      .audio = SyncAudio(schedule, AV_CODEC_ID_AAC, kSampleRate, 0.5, 4.0)},
            .onsets = schedule.onsets,
            .seconds = 4.0};
}

// A PAL DVD's 16:9 picture: 720 x 576 stored, 1024 x 576 shown. 5 s: the frame of sound
// beyond the pictures lasts 80 ms at the 12.5 frames a second kept of 25.
SyncMovie AnamorphicMpeg() {
    const Schedule schedule{.onsets = {0.4, 1.2, 1.6, 2.8, 3.2, 4.4}};
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG2VIDEO, .width = 720, .height = 576, .frameRate = {25, 1},
                       .frameCount = 125, .sampleAspect = {64, 45}};
    return {.name = "anamorphic",
            .extension = ".mpg",
            .movie = {.container = "mpeg",
                      .video = ConstantRate(schedule, video, 0.0),
                      .audio = SyncAudio(schedule, AV_CODEC_ID_MP2, kDvdSampleRate, 0.0, 5.0)},
            .onsets = schedule.onsets,
            .seconds = 5.0,
            .displayWidth = 1024,
            .displayHeight = 576};
}

// Stored 128 x 96 with the matrix a phone writes for a portrait recording: shown 96 x 128.
SyncMovie RotatedMp4() {
    const Schedule schedule{.onsets = kOnsets};
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 120};
    // 16.16 except the last column (2.30): x' = height - y, y' = x.
    video.displayMatrix = {0, 1 << 16, 0, -(1 << 16), 0, 0, video.height << 16, 0, 1 << 30};
    return {.name = "rotated",
            .extension = ".mp4",
            .movie = {.container = "mp4",
                      .video = ConstantRate(schedule, video, 0.0, true),
                      .audio = SyncAudio(schedule, AV_CODEC_ID_AAC, kSampleRate, 0.0, 4.0)},
            .onsets = schedule.onsets,
            .seconds = 4.0,
            .displayWidth = 96,
            .displayHeight = 128};
}

}  // namespace

SyncMovie MakeSyncMovie(SyncShape shape) {
    SyncMovie movie;
    switch (shape) {
        case SyncShape::PlainAvi: movie = PlainAvi(); break;
        case SyncShape::VariableRateMkv: movie = VariableRateMkv(); break;
        case SyncShape::LatePictureMp4: movie = LatePictureMp4(); break;
        case SyncShape::DropFrameAvi: movie = DropFrameAvi(); break;
        case SyncShape::LateSoundMkv: movie = LateSoundMkv(); break;
        case SyncShape::AnamorphicMpeg: movie = AnamorphicMpeg(); break;
        case SyncShape::RotatedMp4: movie = RotatedMp4(); break;
    }
    if (movie.displayWidth == 0) {
        movie.displayWidth = movie.movie.video->width;
        movie.displayHeight = movie.movie.video->height;
    }
    return movie;
}

std::string WriteSyncMovie(SyncShape shape, const std::string& folder, FixtureStatus& status, std::string& message) {
    const SyncMovie movie = MakeSyncMovie(shape);
    const std::string path = folder + "/" + movie.name + movie.extension;
    status = WriteFixtureMovie(path, movie.movie, message);
    return status == FixtureStatus::Written ? path : std::string();
}
