// Makes the sample movie that the demo converts: eight seconds of a small animated landscape
// with a tune, written with FFmpeg's own encoders so that nothing needs downloading.
#include <cstdio>
#include <string>

#include "resources/sample/SampleScene.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFramesPerSecond = 30;
constexpr int kSeconds = 8;
constexpr int kSampleRate = 44100;

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
    movie.video->draw = [](int frame, std::span<Rgb> picture) {
        DrawSampleLandscape(frame, kFramesPerSecond, kWidth, kHeight, picture);
    };
    FixtureAudio audio;
    audio.sampleRate = kSampleRate;
    audio.sampleCount = kSampleRate * kSeconds;
    audio.sound = [](int channel, int index) { return SampleTune(channel, index, kSampleRate); };
    movie.audio = audio;
    std::string message;
    if (WriteFixtureMovie(argv[1], movie, message) != FixtureStatus::Written) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], message.c_str());
        return 1;
    }
    return 0;
}
