// Makes the sample movie that the demo converts: eight seconds of a small animated landscape
// with a tune, written with FFmpeg's own encoders so that nothing needs downloading.
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "tests/source/FixtureMovies.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFramesPerSecond = 30;
constexpr int kSeconds = 8;
constexpr int kSampleRate = 44100;

uint8_t Clamp(double v) {
    return uint8_t(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

// Sky fading from blue to orange, a sun that sets, two layers of hills scrolling at their own
// speed, and a ball bouncing along the front.
Rgb Landscape(int frame, int x, int y) {
    const double t = double(frame) / kFramesPerSecond;
    const double ridgeFar = 150 + 18 * std::sin((x + 40 * t) * 0.021) + 9 * std::sin((x + 40 * t) * 0.057);
    const double ridgeNear = 185 + 14 * std::sin((x + 110 * t) * 0.033) + 6 * std::sin((x + 110 * t) * 0.11);
    const double ballX = std::fmod(60 * t, kWidth + 40) - 20;
    const double ballY = 200 - 70 * std::fabs(std::sin(t * 2.4));
    if (std::hypot(x - ballX, y - ballY) < 14) {
        const double shade = 1.0 - (std::hypot(x - ballX + 5, y - ballY + 5) / 24);
        return {Clamp(235 * shade + 20), Clamp(60 * shade), Clamp(90 * shade + 30)};
    }
    if (y > ridgeNear) {
        const double stripe = std::sin((x + 110 * t) * 0.2 + y * 0.5) * 10;
        return {Clamp(40 + stripe), Clamp(120 + y * 0.3 + stripe), Clamp(50)};
    }
    if (y > ridgeFar) return {Clamp(70 + (y - ridgeFar)), Clamp(90 + (y - ridgeFar) * 0.6), Clamp(120)};
    const double sunY = 60 + t * 9;
    if (std::hypot(x - 230, y - sunY) < 26) return {255, Clamp(230 - t * 10), Clamp(120 - t * 10)};
    const double dusk = t / kSeconds;
    const double h = double(y) / kHeight;
    return {Clamp(70 + 160 * h * (0.4 + dusk)), Clamp(120 + 60 * h - 50 * dusk), Clamp(230 - 120 * h * (0.5 + dusk))};
}

// A rising arpeggio, one note every quarter second, with a plucked envelope; the right
// channel an octave lower.
int16_t Tune(int channel, int index) {
    static constexpr int kSemitones[] = {0, 4, 7, 12, 7, 4, 0, -5};
    const double t = double(index) / kSampleRate;
    const int note = int(t * 4);
    const double since = t - note / 4.0;
    const double hz = 330.0 * std::pow(2.0, kSemitones[note % 8] / 12.0) / (channel == 0 ? 1.0 : 2.0);
    const double envelope = std::exp(-since * 7);
    return int16_t(std::lrint(9000.0 * envelope * std::sin(2 * std::numbers::pi * hz * t)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.avi\n", argv[0]);
        return 2;
    }
    FixtureMovie movie;
    movie.video->codec = AV_CODEC_ID_MJPEG;
    movie.video->width = kWidth;
    movie.video->height = kHeight;
    movie.video->frameRate = {kFramesPerSecond, 1};
    movie.video->frameCount = kFramesPerSecond * kSeconds;
    movie.video->picture = Landscape;
    FixtureAudio audio;
    audio.sampleRate = kSampleRate;
    audio.sampleCount = kSampleRate * kSeconds;
    audio.sound = Tune;
    movie.audio = audio;
    std::string message;
    if (WriteFixtureMovie(argv[1], movie, message) != FixtureStatus::Written) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], message.c_str());
        return 1;
    }
    return 0;
}
