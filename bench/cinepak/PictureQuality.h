#pragma once
// Structural similarity of two pictures, beside the PSNR of the oracle.
#include <cstdint>
#include <span>

namespace cinepak_bench {

// Mean SSIM of the R, G and B planes of two top-down R, G, B pictures of width x height, over
// 8 x 8 windows placed every 4 pixels (the windows FFmpeg's and x264's SSIM use); 1 for equal
// pictures.
double Ssim(std::span<const uint8_t> a, std::span<const uint8_t> b, int width, int height);

}  // namespace cinepak_bench
