#pragma once
// Pictures, FFmpeg's Cinepak decoder as the oracle, and a driver for the compressor.
#include <cstdint>
#include <span>
#include <vector>

#include "cinepak/CinepakCompressor.h"
#include "tests/cinepak/oracle/FfmpegCinepak.h"

namespace cinepak_test {

// A bottom-up 24-bit picture, rows of width x 3 bytes, B, G, R.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;
    void Set(int x, int yFromTop, uint8_t r, uint8_t g, uint8_t b);
};

// Detailed moving content: waves, a textured band and a disc, moved by `time`.
Picture MovingScene(int width, int height, int time);
Picture Noise(int width, int height, uint32_t seed);
Picture Flat(int width, int height, uint8_t r, uint8_t g, uint8_t b);
// Top-down R, G, B rows, as FFmpeg's decoder and the compressor's reconstruction give them.
std::vector<uint8_t> TopDownRgb(const Picture& picture);

// The compressor begun for one picture size, fed frames as the movie encoder feeds them.
class CompressorRun {
public:
    // `framesInfo`: the data rate and frame rate sent before compression begins, as the movie
    // encoder sends them; none when lDataRate is 0.
    CompressorRun(int width, int height, const ICCOMPRESSFRAMES& framesInfo = {});
    // Compresses the next frame (numbered 0, 1, 2, ...) with the previous picture given unless
    // `withPrevious` is false. Returns the frame; fails the test on an error answer.
    std::vector<uint8_t> Compress(const Picture& picture, uint32_t desiredBytes, bool withPrevious = true);
    // Compresses with an explicit frame number.
    std::vector<uint8_t> CompressNumbered(const Picture& picture, uint32_t desiredBytes, int32_t frameNumber);

    CinepakCompressor compressor;
    BitmapInfoHeader input;
    BitmapInfoHeader output;
    uint32_t lastFlags = 0;
    uint32_t lastChunkId = 0;

private:
    int32_t next_ = 0;
    std::vector<uint8_t> previous_;
    std::vector<uint8_t> buffer_;
};

// Big-endian fields of a compressed frame.
uint32_t Field16(std::span<const uint8_t> frame, size_t offset);
uint32_t Field24(std::span<const uint8_t> frame, size_t offset);

}  // namespace cinepak_test
