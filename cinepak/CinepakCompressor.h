#pragma once
// Our Cinepak compressor behind the video compression manager's interface: the messages a
// stream sends (query, formats, sizes, quality, frames info, state, begin, compress, end).
// Input: bottom-up 24-bit pictures (B, G, R, rows of width x 3 bytes), width and height
// multiples of 4 from 4 x 4 to 240 x 160. Output: one Cinepak frame per picture with one strip
// covering the picture, whose size is a multiple of 4, at most the desired frame size whenever
// the picture can be coded that small.
#include <cstdint>
#include <memory>
#include <vector>

#include "cinepak/CinepakOptions.h"
#include "platform/VideoCompressor.h"

namespace cinepak {
class CinepakEncoder;
}

class CinepakCompressor final : public VideoCompressor {
public:
    CinepakCompressor();
    ~CinepakCompressor() override;

    long CompressQuery(const BitmapInfoHeader* input, const BitmapInfoHeader* output) override;
    long CompressGetFormat(const BitmapInfoHeader* input, BitmapInfoHeader* output) override;
    long CompressGetSize(const BitmapInfoHeader* input, const BitmapInfoHeader* output) override;
    long GetDefaultQuality(uint32_t* quality) override;
    // The data rate and frame rate give each frame's average share of bytes, which lets easy
    // frames leave bytes to later ones (the option rate-slope), and the frame count lets the
    // stream spend what is left by its end; without a rate every frame fills its desired size.
    long CompressFramesInfo(const ICCOMPRESSFRAMES* info) override;
    long GetState(uint8_t* state, uint32_t size) override;
    long SetState(const uint8_t* state, uint32_t size) override;
    long CompressBegin(const BitmapInfoHeader* input, const BitmapInfoHeader* output) override;
    // A frame number of 0, a missing previous picture, a key-frame request or a frame number
    // that does not follow the last one (a frame the caller dropped) gives an intra frame.
    // A desired frame size of 0 asks for no particular size.
    long Compress(ICCOMPRESS* params) override;
    long CompressEnd() override;

    // What a decoder shows after the last compressed frame: top-down rows of width x 3 bytes,
    // R, G, B. Empty before the first frame.
    std::vector<uint8_t> Reconstruction() const;

private:
    cinepak::CinepakOptions options_;
    std::unique_ptr<cinepak::CinepakEncoder> encoder_;  // from begin to end
    BitmapInfoHeader format_;                            // the input format begun with
    int32_t lastFrame_ = -1;                             // number of the last compressed frame
    bool anyFrame_ = false;
    uint32_t averageFrameBytes_ = 0;                     // from the frames info's data rate; 0: not told
    uint32_t frameCount_ = 0;                            // from the frames info; 0: not told
};

// Installs the compressor in the compression manager under ("vidc", "cvid"), unless a stand-in
// is installed there already. Idempotent.
void InstallCinepakCompressor();
