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

// The picture's length is also the movie's: the sound may begin earlier, but ends with it.
SyncMovie Movie(const char* name, const char* extension, const char* container, const Schedule& schedule,
                FixtureVideo video, FixtureAudio audio, double seconds) {
    const int width = video.width, height = video.height;
    return {.name = name,
            .extension = extension,
            .movie = {.container = container, .video = std::move(video), .audio = std::move(audio)},
            .onsets = schedule.onsets,
            .seconds = seconds,
            .displayWidth = width,
            .displayHeight = height};
}

SyncMovie PlainAvi() {
    const Schedule schedule{.onsets = kOnsets};
    FixtureVideo video{.codec = AV_CODEC_ID_MJPEG, .frameRate = {30, 1}, .frameCount = 120};
    return Movie("plain", ".avi", "avi", schedule, ConstantRate(schedule, video, 0.0),
                 SyncAudio(schedule, AV_CODEC_ID_PCM_S16LE, kSampleRate, 0.0, 4.0), 4.0);
}

// 10 frames a second for 5 s, then 30 for 2 s, on Matroska's millisecond clock.
SyncMovie VariableRateMkv() {
    const Schedule schedule{.onsets = {0.4, 1.2, 2.0, 3.2, 4.4, 5.2, 5.6, 6.4}};
    const auto milliseconds = [](int index) -> int64_t {
        return index < 50 ? 100 * int64_t(index) : 5000 + std::llround((index - 50) * 1000.0 / 30.0);
    };
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 110, .timeBase = {1, 1000}};
    video.pts = milliseconds;
    const auto seconds = [=](int index) { return milliseconds(index) / 1000.0; };
    return Movie("variable-rate", ".mkv", "matroska", schedule, SyncVideo(schedule, video, seconds, false),
                 SyncAudio(schedule, AV_CODEC_ID_AAC, kSampleRate, 0.0, 7.0), 7.0);
}

// The sound runs from 0, the picture from 5 s to 9 s; two beeps come before any picture.
SyncMovie LatePictureMp4() {
    const Schedule schedule{.pictureStart = 5.0, .onsets = kOnsets, .extraBeeps = {2.0, 4.0}};
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 120};
    return Movie("late-picture", ".mp4", "mp4", schedule, ConstantRate(schedule, video, 5.0),
                 SyncAudio(schedule, AV_CODEC_ID_AAC, kSampleRate, 0.0, 9.0), 4.0);
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
    // Small: FFmpeg's Cinepak encoder trains its codebooks slowly.
    FixtureVideo video{.codec = AV_CODEC_ID_CINEPAK, .width = 64, .height = 48, .frameRate = {30, 1},
                       .frameCount = int(slots.size()) - 1};
    video.pts = [slots](int index) { return slots[size_t(index)]; };
    const auto seconds = [slots](int index) { return slots[size_t(index)] / 30.0; };
    return Movie("drop-frames", ".avi", "avi", schedule, SyncVideo(schedule, video, seconds, false),
                 SyncAudio(schedule, AV_CODEC_ID_PCM_S16LE, kSampleRate, 0.0, 4.0), 4.0);
}

SyncMovie LateSoundMkv() {
    const Schedule schedule{.onsets = {0.8, 1.2, 2.0, 2.8, 3.2}};
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 120};
    return Movie("late-sound", ".mkv", "matroska", schedule, ConstantRate(schedule, video, 0.0),
                 SyncAudio(schedule, AV_CODEC_ID_AAC, kSampleRate, 0.5, 4.0), 4.0);
}

// A PAL DVD's 16:9 picture: 720 x 576 stored, 1024 x 576 shown. 5 s: the frame of sound
// beyond the pictures lasts 80 ms at the 12.5 frames a second kept of 25.
SyncMovie AnamorphicMpeg() {
    const Schedule schedule{.onsets = {0.4, 1.2, 1.6, 2.8, 3.2, 4.4}};
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG2VIDEO, .width = 720, .height = 576, .frameRate = {25, 1},
                       .frameCount = 125, .sampleAspect = {64, 45}};
    SyncMovie movie = Movie("anamorphic", ".mpg", "mpeg", schedule, ConstantRate(schedule, video, 0.0),
                            SyncAudio(schedule, AV_CODEC_ID_MP2, kDvdSampleRate, 0.0, 5.0), 5.0);
    movie.displayWidth = 1024;
    movie.displayHeight = 576;
    return movie;
}

// Stored 128 x 96 with the matrix a phone writes for a portrait recording: shown 96 x 128.
SyncMovie RotatedMp4() {
    const Schedule schedule{.onsets = kOnsets};
    FixtureVideo video{.codec = AV_CODEC_ID_MPEG4, .frameRate = {30, 1}, .frameCount = 120};
    // 16.16 except the last column (2.30): x' = height - y, y' = x.
    video.displayMatrix = {0, 1 << 16, 0, -(1 << 16), 0, 0, video.height << 16, 0, 1 << 30};
    SyncMovie movie = Movie("rotated", ".mp4", "mp4", schedule, ConstantRate(schedule, video, 0.0, true),
                            SyncAudio(schedule, AV_CODEC_ID_AAC, kSampleRate, 0.0, 4.0), 4.0);
    movie.displayWidth = 96;
    movie.displayHeight = 128;
    return movie;
}

}  // namespace

SyncMovie MakeSyncMovie(SyncShape shape) {
    switch (shape) {
        case SyncShape::PlainAvi: return PlainAvi();
        case SyncShape::VariableRateMkv: return VariableRateMkv();
        case SyncShape::LatePictureMp4: return LatePictureMp4();
        case SyncShape::DropFrameAvi: return DropFrameAvi();
        case SyncShape::LateSoundMkv: return LateSoundMkv();
        case SyncShape::AnamorphicMpeg: return AnamorphicMpeg();
        case SyncShape::RotatedMp4: break;
    }
    return RotatedMp4();
}

std::string WriteSyncMovie(SyncShape shape, const std::string& folder, FixtureStatus& status, std::string& message) {
    const SyncMovie movie = MakeSyncMovie(shape);
    const std::string path = folder + "/" + movie.name + movie.extension;
    status = WriteFixtureMovie(path, movie.movie, message);
    return status == FixtureStatus::Written ? path : std::string();
}
