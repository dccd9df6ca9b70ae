#include "source/internal/AudioDecoder.h"

#include <algorithm>

namespace {

// Timestamps are known to their stream's tick; beyond that, differences below this are
// rounding rather than gaps or overlaps.
constexpr int64_t kSlackMilliseconds = 2;

}  // namespace

AudioDecoder::~AudioDecoder() {
    av_channel_layout_uninit(&inputLayout);
    av_channel_layout_uninit(&outputLayout);
}

MediaStatus AudioDecoder::Open(const AVStream& stream, const AVStream& pictures, bool timestampsJump,
                               const MovieSpan& span) {
    if (const MediaStatus status = OpenCodec(stream); status < 0) return status;
    const AVSampleFormat decodedFormat = Codec().sample_fmt;
    const int channels = Codec().ch_layout.nb_channels;
    const int rate = Codec().sample_rate;
    if (decodedFormat == AV_SAMPLE_FMT_NONE || channels <= 0 || rate <= 0) return kStatusUnsupportedAudio;

    outputFormat = av_get_packed_sample_fmt(decodedFormat) == AV_SAMPLE_FMT_U8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
    av_channel_layout_uninit(&outputLayout);
    av_channel_layout_default(&outputLayout, std::min(channels, 2));
    const int bytesPerSample = av_get_bytes_per_sample(outputFormat);

    format = WaveFormatEx{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = uint16_t(outputLayout.nb_channels);
    format.nSamplesPerSec = uint32_t(rate);
    format.nBlockAlign = uint16_t(outputLayout.nb_channels * bytesPerSample);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.wBitsPerSample = uint16_t(bytesPerSample * 8);

    const AVRational sample{1, rate};
    if (pictures.start_time != AV_NOPTS_VALUE)
        origin = av_rescale_q_rnd(pictures.start_time, pictures.time_base, sample, AV_ROUND_NEAR_INF);
    // A later start is a time of its own: a picture that states no start starts at 0.
    if (span.startUs > 0) origin = origin.value_or(0) + av_rescale_q_rnd(span.startUs, AV_TIME_BASE_Q, sample, AV_ROUND_NEAR_INF);
    std::optional<int64_t> end;
    if (span.endUs) end = av_rescale_q_rnd(*span.endUs - span.startUs, AV_TIME_BASE_Q, sample, AV_ROUND_NEAR_INF);
    const int64_t tick = av_rescale_q_rnd(1, stream.time_base, sample, AV_ROUND_UP);
    placement.emplace(tick + int64_t(rate) * kSlackMilliseconds / 1000, MaxTimestampStep(timestampsJump, sample), end);
    return 0;
}

std::optional<int64_t> AudioDecoder::PositionOf(const AVFrame& frame) {
    const std::optional<int64_t> pts = PresentationTime(frame);
    if (!pts) return std::nullopt;
    const int64_t position = av_rescale_q_rnd(*pts, TimeBase(),
                                              AVRational{1, int(format.nSamplesPerSec)}, AV_ROUND_NEAR_INF);
    if (!origin) origin = position;
    return position - *origin;
}

void AudioDecoder::DeliverSilence(int64_t samples, double sampleTime) {
    samples = std::min(samples, placement->Room());
    if (samples <= 0) return;
    // A second at a time: a long gap needs no buffer of its own length.
    const int64_t chunk = std::min<int64_t>(samples, format.nSamplesPerSec);
    const uint8_t silence = outputFormat == AV_SAMPLE_FMT_U8 ? 0x80 : 0;
    pcm.assign(size_t(chunk) * format.nBlockAlign, silence);
    for (int64_t left = samples; left > 0 && !StopRequested(); left -= chunk) {
        const int64_t count = std::min(left, chunk);
        grabber.Deliver(sampleTime, pcm.data(), int32_t(count * format.nBlockAlign));
        placement->Advance(count);
    }
}

bool AudioDecoder::ConvertFrom(const AVFrame& frame) {
    if (converter && frame.format == inputFormat && frame.sample_rate == inputRate &&
        av_channel_layout_compare(&frame.ch_layout, &inputLayout) == 0)
        return true;
    converter.reset();
    av_channel_layout_uninit(&inputLayout);
    if (av_channel_layout_copy(&inputLayout, &frame.ch_layout) < 0) return false;
    inputFormat = frame.format;
    inputRate = frame.sample_rate;
    // A layout that names no channels gets the usual one for its channel count, so that
    // the mix-down knows which channel is which.
    AVChannelLayout sourceLayout{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&sourceLayout, frame.ch_layout.nb_channels);
    else if (av_channel_layout_copy(&sourceLayout, &frame.ch_layout) < 0)
        return false;
    SwrContext* made = nullptr;
    const int allocated = swr_alloc_set_opts2(&made, &outputLayout, outputFormat, int(format.nSamplesPerSec),
                                              &sourceLayout, AVSampleFormat(frame.format), frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&sourceLayout);
    converter.reset(made);
    return allocated >= 0 && swr_init(converter.get()) >= 0;
}

bool AudioDecoder::Convert(const uint8_t* const* input, int count, double sampleTime, int64_t skip) {
    const int capacity = swr_get_out_samples(converter.get(), count);
    if (capacity < 0) return false;
    pcm.resize(size_t(capacity) * format.nBlockAlign);
    uint8_t* output = pcm.data();
    const int produced = swr_convert(converter.get(), &output, capacity, const_cast<const uint8_t**>(input), count);
    if (produced < 0) return false;
    const int64_t dropped = std::min<int64_t>(skip, produced);
    const int64_t kept = std::min(produced - dropped, placement->Room());
    if (kept > 0) {
        grabber.Deliver(sampleTime, pcm.data() + dropped * format.nBlockAlign, int32_t(kept * format.nBlockAlign));
        placement->Advance(kept);
    }
    return true;
}

bool AudioDecoder::Deliver(const AVFrame& frame) {
    if (!ConvertFrom(frame)) return false;
    const SoundPlacement::Join join = placement->Place(PositionOf(frame));
    DeliverSilence(join.silence, SampleTime(frame));
    return Convert(frame.extended_data, frame.nb_samples, SampleTime(frame), join.skip);
}

void AudioDecoder::DeliverRest() {
    if (converter) Convert(nullptr, 0, 0.0, 0);
}
