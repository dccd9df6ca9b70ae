#pragma once
// Decodes the movie's sound stream into interleaved PCM at the stream's own rate: 8-bit
// unsigned sound stays 8-bit, everything else becomes signed 16-bit, and more than two
// channels are mixed down to two. One delivery per decoded frame, placed on the time line
// that begins with the first picture (SoundPlacement).
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/MediaFormats.h"
#include "source/MovieFacts.h"
#include "source/internal/SoundPlacement.h"
#include "source/internal/StreamDecoder.h"

class AudioDecoder final : public StreamDecoder {
public:
    using StreamDecoder::StreamDecoder;
    ~AudioDecoder() override;

    // Opens the decoder and fixes the delivered format; kStatusUnsupportedAudio when the
    // stream states no sample format, rate or channels. The time line begins where the
    // `pictures` stream starts (where the sound starts when that stream states no start), or
    // where the part starts, and ends with the part; `timestampsJump` tells a container whose
    // timestamps may jump.
    [[nodiscard]] MediaStatus Open(const AVStream& stream, const AVStream& pictures, bool timestampsJump,
                                   const MovieSpan& span);
    // The format of the delivered sound, valid after a successful Open.
    const WaveFormatEx& Format() const { return format; }

private:
    bool Deliver(const AVFrame& frame) override;
    void DeliverRest() override;
    bool Finished() const override { return placement && placement->Room() == 0; }
    // Makes the converter take frames shaped like this one.
    bool ConvertFrom(const AVFrame& frame);
    // Converts `count` input samples (none: drain) and delivers the result but its first
    // `skip` samples.
    bool Convert(const uint8_t* const* input, int count, double sampleTime, int64_t skip);
    // Delivers `samples` samples of silence.
    void DeliverSilence(int64_t samples, double sampleTime);
    // Where the frame begins on the time line, in samples; none when it states no time.
    std::optional<int64_t> PositionOf(const AVFrame& frame);

    WaveFormatEx format;
    AVSampleFormat outputFormat = AV_SAMPLE_FMT_NONE;
    AVChannelLayout outputLayout{};
    // The shape of the frames the converter was made for.
    AVChannelLayout inputLayout{};
    int inputFormat = AV_SAMPLE_FMT_NONE;
    int inputRate = 0;
    ffmpeg::SwrPtr converter;
    std::vector<uint8_t> pcm;  // one delivered buffer, grown when a frame needs more
    std::optional<int64_t> origin;  // where the time line begins, in samples
    std::optional<SoundPlacement> placement;
};
