#pragma once
// FFmpeg's Cinepak decoder as the oracle for the compressor's frames (tests and benchmark).
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "source/FfmpegHandles.h"

namespace cinepak_test {

// Fed one frame at a time; keeps its codebooks and picture between frames.
class FfmpegDecoder {
public:
    FfmpegDecoder(int width, int height);
    ~FfmpegDecoder();
    bool Ok() const { return context_ != nullptr; }
    // The decoded picture as top-down R, G, B rows; empty when FFmpeg refuses the frame.
    std::vector<uint8_t> Decode(std::span<const uint8_t> frame);

private:
    ffmpeg::CodecContextPtr context_;
    ffmpeg::FramePtr frame_;
    ffmpeg::PacketPtr packet_;
    std::vector<uint8_t> padded_;
};

// Top-down R, G, B rows, as the decoder gives them, of a bottom-up B, G, R picture of width x
// height whose rows are width x 3 bytes (the compressor's input).
std::vector<uint8_t> TopDownRgb(std::span<const uint8_t> bottomUpBgr, int width, int height);

// Peak signal-to-noise ratio of two pictures of equal size, in dB; 99 when they are equal.
double Psnr(std::span<const uint8_t> a, std::span<const uint8_t> b);

}  // namespace cinepak_test
