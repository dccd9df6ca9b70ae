#pragma once
// Decodes the movie's video stream into bottom-up 24-bit B,G,R pictures with rows padded to
// 4 bytes, one whole picture per delivery, at the size the stream states.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/MediaFormats.h"
#include "source/internal/StreamDecoder.h"

class VideoDecoder final : public StreamDecoder {
public:
    using StreamDecoder::StreamDecoder;

    // Opens the decoder and fixes the delivered format; kStatusUnsupportedVideo for a size
    // or pixel format that cannot be delivered.
    [[nodiscard]] MediaStatus Open(const AVStream& stream);
    // The format of the delivered pictures, valid after a successful Open.
    const VideoInfoHeader& Format() const { return format; }

private:
    // What the scaler was made for: the decoded frames' size, pixel format and colours.
    struct ScalerInput {
        int width = 0, height = 0, format = AV_PIX_FMT_NONE, colorspace = AVCOL_SPC_UNSPECIFIED,
            range = AVCOL_RANGE_UNSPECIFIED;
        friend bool operator==(const ScalerInput&, const ScalerInput&) = default;
    };

    bool Deliver(const AVFrame& frame) override;
    // Makes the scaler take frames shaped like this one.
    bool ScaleFrom(const AVFrame& frame);
    // Copies the scaled rows, top first, into the bottom-up picture.
    void CopyScaledRows();

    VideoInfoHeader format;
    int width = 0;
    int height = 0;
    size_t strideBytes = 0;
    std::vector<uint8_t> picture;  // one delivered picture; the row padding stays zero
    // The scaler's target: FFmpeg's own buffer, aligned and padded as swscale needs, since it
    // may write past the last pixel of a row for some sizes and formats.
    ffmpeg::FramePtr scaled;
    ffmpeg::SwsPtr scaler;
    ScalerInput scalerInput;
};
