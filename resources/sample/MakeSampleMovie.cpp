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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.avi\n", argv[0]);
        return 2;
    }
    const FixtureMovie movie = SampleMovie(kWidth, kHeight, kFramesPerSecond, kSeconds);
    std::string message;
    if (WriteFixtureMovie(argv[1], movie, message) != FixtureStatus::Written) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], message.c_str());
        return 1;
    }
    return 0;
}
