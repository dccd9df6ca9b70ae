#pragma once
// One run of a Cinepak encoder over a clip, and what FFmpeg's decoder shows of it: FFmpeg's
// "cinepak" encoder at a fixed trade-off, and ours fed as the movie encoder feeds it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cinepak/CinepakOptions.h"

namespace cinepak_bench {

inline constexpr int kWidth = 240;
inline constexpr int kHeight = 160;

// Top-down R, G, B pictures of kWidth x kHeight.
using Frames = std::vector<std::vector<uint8_t>>;

struct Clip {
    const char* name;
    Frames frames;
    int framesPerSecond;
};

struct Run {
    Frames packets;
    double seconds = 0;  // the encoding thread's processor time
    size_t bytes = 0;
    double psnr = 0;  // means over the frames, of what FFmpeg's decoder shows
    double ssim = 0;
    int oversized = 0;  // ours: frames larger than their desired size (only where nothing smaller exists)

    double KilobytesPerSecond(const Clip& clip) const {
        return double(bytes) * clip.framesPerSecond / double(clip.frames.size()) / 1024;
    }
};

// FFmpeg's encoder at the trade-off `lambda` (FFmpeg's units: 256 is its default), one strip,
// one thread, one key frame.
bool RunFfmpeg(const Clip& clip, int lambda, Run& run);

// Ours, told the data rate that makes `totalBytes` over the clip, given each frame's desired
// size by the movie encoder's rule: what the cumulative target leaves, at least half an
// average frame.
bool RunOurs(const Clip& clip, size_t totalBytes, const cinepak::CinepakOptions& options, Run& run);

// Decodes the run's packets with FFmpeg and fills in bytes, PSNR and SSIM; false when FFmpeg
// refuses a packet.
bool Measure(const Clip& clip, Run& run);

}  // namespace cinepak_bench
