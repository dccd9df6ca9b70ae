#pragma once
// Decodes the movie's video stream into bottom-up 24-bit B,G,R pictures with rows padded to
// 4 bytes, one whole picture per delivery, as a player shows them (square pixels, turned as
// the file says), one delivery per slot of a constant-rate grid (FrameGrid).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/MediaFormats.h"
#include "source/MovieFacts.h"
#include "source/internal/FrameGrid.h"
#include "source/internal/PictureOrientation.h"
#include "source/internal/StreamDecoder.h"
#include "video/VideoPlan.h"

class VideoDecoder final : public StreamDecoder {
public:
    using StreamDecoder::StreamDecoder;

    // Opens the decoder and fixes the delivered format; kStatusUnsupportedVideo for a size
    // or pixel format that cannot be delivered. The stated frame rate is the stream's
    // average, else its nominal one (none: AvgTimePerFrame 0).
    [[nodiscard]] MediaStatus Open(const AVStream& stream);
    // The format of the delivered pictures, valid after a successful Open.
    const VideoInfoHeader& Format() const { return format; }
    // Sets the grid: `frameRate` slots a second from the stream's start (the part's start, when
    // the part starts later), in a container whose timestamps may jump or not. Before decoding.
    void PaceOn(AVRational frameRate, bool timestampsJump, const MovieSpan& span);
    // Converts only the pictures of the slots that become records of `plan` (KeepsDelivery);
    // the other slots are delivered without bytes. Leaves out H.264's loop filter where `plan`
    // shrinks the picture enough to hide it. Before decoding; unless the process's options say
    // otherwise (source/DecodingOptions.h).
    void ShowOnlyRecordsOf(const VideoPlan& plan);

private:
    // What the scaler was made for: the decoded frames' size, pixel format and colours.
    struct ScalerInput {
        int width = 0, height = 0, format = AV_PIX_FMT_NONE, colorspace = AVCOL_SPC_UNSPECIFIED,
            range = AVCOL_RANGE_UNSPECIFIED;
        friend bool operator==(const ScalerInput&, const ScalerInput&) = default;
    };

    bool Deliver(const AVFrame& frame) override;
    void DeliverRest() override;
    bool Finished() const override { return grid && grid->Ended(); }
    size_t LookAhead() const override;
    // Pictures whose slots all become no record are not decoded where the decoder can tell
    // that nothing refers to them (not sent at all where each stands alone).
    PacketUse UseOf(const AVPacket& packet, const PacketWindow& window) override;
    // Makes the scaler take frames shaped like this one.
    bool ScaleFrom(const AVFrame& frame);
    // Converts a frame into the picture as it is shown; false when the scaler fails.
    bool Convert(const AVFrame& frame);
    // Converts the held frame, once, into the picture; false when it cannot be converted.
    bool ConvertHeld();
    // Whether the slot of delivery n (from 1) needs the picture's bytes.
    bool Shown(uint32_t n) const;
    // Copies the scaled rows, top first, into the bottom-up picture.
    void CopyScaledRows();
    // Delivers the held picture `times` times, fewer once decoding is stopped; false when it
    // cannot be converted.
    bool DeliverHeld(int64_t times);

    VideoInfoHeader format;
    PictureOrientation orientation;
    int width = 0;  // as shown
    int height = 0;
    size_t strideBytes = 0;
    // The decoded frame held for delivery, by reference, and whether `picture` holds it
    // converted yet: a frame no shown slot needs is never converted.
    ffmpeg::FramePtr held;
    bool heldConverted = true;
    std::vector<uint8_t> picture;  // the held frame as shown; the row padding stays zero
    double pictureTime = 0;        // its presentation time in seconds
    uint32_t deliveries = 0;       // slots delivered so far
    std::optional<VideoPlan> recordsOf;  // none: every slot is shown
    // Whether pictures may be left out: there is a plan, and the pictures came in time order.
    bool leavingOut = false;
    bool intraOnly = false;  // every picture stands alone
    std::optional<int64_t> lastPts;  // of the last decoded picture
    // The scaler's target, top-down with square pixels before any turn: FFmpeg's own buffer,
    // aligned and padded as swscale needs, since it may write past the last pixel of a row
    // for some sizes and formats.
    ffmpeg::FramePtr scaled;
    ffmpeg::SwsPtr scaler;
    ScalerInput scalerInput;
    std::optional<int64_t> startTime;  // of the stream, in its ticks
    std::optional<FrameGrid> grid;
};
