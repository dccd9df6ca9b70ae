#include "source/internal/AudioDecoder.h"

#include <algorithm>

AudioDecoder::~AudioDecoder() {
    av_channel_layout_uninit(&inputLayout);
    av_channel_layout_uninit(&outputLayout);
}

MediaStatus AudioDecoder::Open(const AVStream& stream) {
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
    return 0;
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

bool AudioDecoder::Convert(const uint8_t* const* input, int count, double sampleTime) {
    const int capacity = swr_get_out_samples(converter.get(), count);
    if (capacity < 0) return false;
    pcm.resize(size_t(capacity) * format.nBlockAlign);
    uint8_t* output = pcm.data();
    const int produced = swr_convert(converter.get(), &output, capacity, const_cast<const uint8_t**>(input), count);
    if (produced < 0) return false;
    if (produced > 0) grabber.Deliver(sampleTime, pcm.data(), int32_t(produced * format.nBlockAlign));
    return true;
}

bool AudioDecoder::Deliver(const AVFrame& frame) {
    if (!ConvertFrom(frame)) return false;
    return Convert(frame.extended_data, frame.nb_samples, SampleTime(frame));
}

void AudioDecoder::DeliverRest() {
    if (converter) Convert(nullptr, 0, 0.0);
}
