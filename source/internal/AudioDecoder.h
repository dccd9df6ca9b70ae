#pragma once
// Decodes the movie's sound stream into interleaved PCM at the stream's own rate: 8-bit
// unsigned sound stays 8-bit, everything else becomes signed 16-bit, and more than two
// channels are mixed down to two. One delivery per decoded frame.
#include <cstdint>
#include <vector>

#include "platform/MediaFormats.h"
#include "source/internal/StreamDecoder.h"

class AudioDecoder final : public StreamDecoder {
public:
    using StreamDecoder::StreamDecoder;
    ~AudioDecoder() override;

    // Opens the decoder and fixes the delivered format; kStatusUnsupportedAudio when the
    // stream states no sample format, rate or channels.
    [[nodiscard]] MediaStatus Open(const AVStream& stream);
    // The format of the delivered sound, valid after a successful Open.
    const WaveFormatEx& Format() const { return format; }

private:
    bool Deliver(const AVFrame& frame) override;
    void DeliverRest() override;
    // Makes the converter take frames shaped like this one.
    bool ConvertFrom(const AVFrame& frame);
    // Converts `count` input samples (none: drain) and delivers the result.
    bool Convert(const uint8_t* const* input, int count, double sampleTime);

    WaveFormatEx format;
    AVSampleFormat outputFormat = AV_SAMPLE_FMT_NONE;
    AVChannelLayout outputLayout{};
    // The shape of the frames the converter was made for.
    AVChannelLayout inputLayout{};
    int inputFormat = AV_SAMPLE_FMT_NONE;
    int inputRate = 0;
    ffmpeg::SwrPtr converter;
    std::vector<uint8_t> pcm;  // one delivered buffer, grown when a frame needs more
};
