#pragma once
// FFmpeg's Cinepak decoder as the oracle for the compressor's frames (tests and benchmark).
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

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
    struct Free {
        void operator()(AVCodecContext* context) const;
        void operator()(AVFrame* frame) const;
        void operator()(AVPacket* packet) const;
    };
    std::unique_ptr<AVCodecContext, Free> context_;
    std::unique_ptr<AVFrame, Free> frame_;
    std::unique_ptr<AVPacket, Free> packet_;
    std::vector<uint8_t> padded_;
};

// Peak signal-to-noise ratio of two pictures of equal size, in dB; 99 when they are equal.
double Psnr(std::span<const uint8_t> a, std::span<const uint8_t> b);

}  // namespace cinepak_test
