#include "resources/sample/SampleScene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kCanvasWidth = 320;   // the scene is drawn on this canvas, scaled to the picture
constexpr double kCanvasHeight = 240;
constexpr double kDuskSeconds = 8.0;   // the sky reaches its evening colours after this long

uint8_t Clamp(double v) {
    return uint8_t(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

struct Scene {
    double t;
    double dusk;
    double ballX, ballY;
    double sunY;
};

Rgb Sky(const Scene& s, double x, double y) {
    if (std::hypot(x - 230, y - s.sunY) < 26) return {255, Clamp(230 - s.dusk * 80), Clamp(120 - s.dusk * 80)};
    const double h = y / kCanvasHeight;
    return {Clamp(70 + 160 * h * (0.4 + s.dusk)), Clamp(120 + 60 * h - 50 * s.dusk),
            Clamp(230 - 120 * h * (0.5 + s.dusk))};
}

// Sky fading from blue to orange, a sun that sets, two layers of hills scrolling at their own
// speed, and a ball bouncing along the front.
Rgb Point(const Scene& s, double x, double y, double ridgeFar, double ridgeNear) {
    if (std::fabs(x - s.ballX) < 14 && std::hypot(x - s.ballX, y - s.ballY) < 14) {
        const double shade = 1.0 - (std::hypot(x - s.ballX + 5, y - s.ballY + 5) / 24);
        return {Clamp(235 * shade + 20), Clamp(60 * shade), Clamp(90 * shade + 30)};
    }
    if (y > ridgeNear) {
        const double stripe = std::sin((x + 110 * s.t) * 0.2 + y * 0.5) * 10;
        return {Clamp(40 + stripe), Clamp(120 + y * 0.3 + stripe), Clamp(50)};
    }
    if (y > ridgeFar) return {Clamp(70 + (y - ridgeFar)), Clamp(90 + (y - ridgeFar) * 0.6), Clamp(120)};
    return Sky(s, x, y);
}

}  // namespace

void DrawSampleLandscape(int frame, int framesPerSecond, int width, int height, std::span<Rgb> picture) {
    Scene s;
    s.t = double(frame) / framesPerSecond;
    s.dusk = std::fmod(s.t, kDuskSeconds) / kDuskSeconds;
    s.ballX = std::fmod(60 * s.t, kCanvasWidth + 40) - 20;
    s.ballY = 200 - 70 * std::fabs(std::sin(s.t * 2.4));
    s.sunY = 60 + s.dusk * 72;
    for (int px = 0; px < width; ++px) {
        const double x = px * kCanvasWidth / width;
        const double far = 150 + 18 * std::sin((x + 40 * s.t) * 0.021) + 9 * std::sin((x + 40 * s.t) * 0.057);
        const double near = 185 + 14 * std::sin((x + 110 * s.t) * 0.033) + 6 * std::sin((x + 110 * s.t) * 0.11);
        for (int py = 0; py < height; ++py)
            picture[size_t(py) * size_t(width) + size_t(px)] = Point(s, x, py * kCanvasHeight / height, far, near);
    }
}

// A rising arpeggio, one note every quarter second, with a plucked envelope; the right
// channel an octave lower.
int16_t SampleTune(int channel, int index, int sampleRate) {
    static constexpr int kSemitones[] = {0, 4, 7, 12, 7, 4, 0, -5};
    const double t = double(index) / sampleRate;
    const int note = int(t * 4);
    const double since = t - note / 4.0;
    const double hz = 330.0 * std::pow(2.0, kSemitones[note % 8] / 12.0) / (channel == 0 ? 1.0 : 2.0);
    const double envelope = std::exp(-since * 7);
    return int16_t(std::lrint(9000.0 * envelope * std::sin(2 * std::numbers::pi * hz * t)));
}

FixtureMovie SampleMovie(int width, int height, int framesPerSecond, int seconds) {
    constexpr int kSampleRate = 44100;
    FixtureMovie movie;
    movie.video->codec = AV_CODEC_ID_MJPEG;
    movie.video->width = width;
    movie.video->height = height;
    movie.video->frameRate = {framesPerSecond, 1};
    movie.video->frameCount = framesPerSecond * seconds;
    movie.video->draw = [=](int frame, std::span<Rgb> picture) {
        DrawSampleLandscape(frame, framesPerSecond, width, height, picture);
    };
    FixtureAudio audio;
    audio.sampleRate = kSampleRate;
    audio.sampleCount = kSampleRate * seconds;
    audio.sound = [](int channel, int index) { return SampleTune(channel, index, kSampleRate); };
    movie.audio = audio;
    return movie;
}

FixtureMovie DownloadedSampleMovie(int width, int height, int framesPerSecond, int seconds) {
    FixtureMovie movie = SampleMovie(width, height, framesPerSecond, seconds);
    movie.container = "mp4";
    movie.video->codec = AV_CODEC_ID_H264;
    movie.video->maxBFrames = 3;
    movie.video->x264Preset = "veryfast";
    movie.video->x264Quality = 20;
    movie.video->keyFrameInterval = 250;
    movie.audio->codec = AV_CODEC_ID_AAC;
    movie.video->draw = [=](int frame, std::span<Rgb> picture) {
        DrawSampleLandscape(frame, framesPerSecond, width, height, picture);
        uint32_t state = uint32_t(frame) * 2654435761u + 1;
        for (Rgb& point : picture) {
            state = state * 1664525u + 1013904223u;
            const int grain = int(state >> 29) - 4;
            auto add = [grain](uint8_t value) { return uint8_t(std::clamp(value + grain, 0, 255)); };
            point = {add(point.r), add(point.g), add(point.b)};
        }
    };
    return movie;
}
