#include "cli/WavWriter.h"

#include <fmt/format.h>

#include <bit>
#include <cstring>

#include "source/FfmpegHandles.h"

namespace {

constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * 2;

std::string Failed(const char* what, int status) {
    return fmt::format("WAV {}: {}", what, ffmpeg::ErrorText(status));
}

}  // namespace

void WavWriter::FormatDeleter::operator()(AVFormatContext* context) const {
    ffmpeg::OutputFormatDeleter{}(context);
}

WavWriter::WavWriter() = default;
WavWriter::~WavWriter() = default;

std::string WavWriter::Open(const std::string& path, int sampleRateHz) {
    AVFormatContext* context = nullptr;
    if (int status = avformat_alloc_output_context2(&context, nullptr, "wav", path.c_str()); status < 0)
        return Failed("muxer", status);
    format_.reset(context);
    AVStream* stream = avformat_new_stream(context, nullptr);
    if (!stream) return "out of memory";
    AVCodecParameters* par = stream->codecpar;
    par->codec_type = AVMEDIA_TYPE_AUDIO;
    par->codec_id = AV_CODEC_ID_PCM_S16LE;
    par->sample_rate = sampleRateHz;
    av_channel_layout_default(&par->ch_layout, kChannels);
    par->bits_per_coded_sample = 16;
    par->block_align = kBytesPerFrame;
    par->bit_rate = int64_t(sampleRateHz) * kBytesPerFrame * 8;
    stream->time_base = {1, sampleRateHz};
    if (int status = avio_open(&context->pb, path.c_str(), AVIO_FLAG_WRITE); status < 0)
        return fmt::format("cannot create {}: {}", path, ffmpeg::ErrorText(status));
    if (int status = avformat_write_header(context, nullptr); status < 0) return Failed("header", status);
    samplesWritten_ = 0;
    return {};
}

std::string WavWriter::Append(std::span<const int16_t> stereo) {
    if (!format_) return "WAV file not open";
    if (stereo.empty()) return {};
    ffmpeg::PacketPtr packet(av_packet_alloc());
    if (!packet || av_new_packet(packet.get(), int(stereo.size_bytes())) < 0) return "out of memory";
    static_assert(std::endian::native == std::endian::little, "WAV samples are little-endian");
    std::memcpy(packet->data, stereo.data(), stereo.size_bytes());
    const int64_t frames = int64_t(stereo.size() / kChannels);
    packet->pts = packet->dts = samplesWritten_;
    packet->duration = frames;
    packet->stream_index = 0;
    samplesWritten_ += frames;
    if (int status = av_write_frame(format_.get(), packet.get()); status < 0) return Failed("write", status);
    return {};
}

std::string WavWriter::Close() {
    if (!format_) return {};
    const int trailer = av_write_trailer(format_.get());
    const int closed = avio_closep(&format_->pb);
    format_.reset();
    if (trailer < 0) return Failed("trailer", trailer);
    if (closed < 0) return Failed("close", closed);
    return {};
}
