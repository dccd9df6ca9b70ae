#include "source/internal/StreamDecoder.h"

#include "source/DecodingOptions.h"
#include "source/internal/PacketQueue.h"
#include "source/internal/PacketWindow.h"

namespace {

// Decoders may work ahead on threads of their own while the calling thread converts and
// delivers: frame-threaded ones get the process's count, the rest FFmpeg's choice (0). Frame
// threads hand pictures over through atomics inside the library, which the thread sanitizer
// cannot see in an uninstrumented build of FFmpeg; under it every decoder works on the
// calling thread alone.
int DecoderThreads(const AVCodec& decoder) {
#if defined(__SANITIZE_THREAD__)
    (void)decoder;
    return 1;
#else
    if (const int chosen = ProcessDecodingOptions().decoderThreads; chosen > 0) return chosen;
    return (decoder.capabilities & AV_CODEC_CAP_FRAME_THREADS) ? DecoderThreadCount() : 0;
#endif
}

}  // namespace

StreamDecoder::StreamDecoder(SampleGrabber& grabber) : grabber(grabber) {}

StreamDecoder::~StreamDecoder() = default;

MediaStatus StreamDecoder::OpenCodec(const AVStream& stream) {
    const AVCodec* decoder = avcodec_find_decoder(stream.codecpar->codec_id);
    if (!decoder) return AVERROR_DECODER_NOT_FOUND;
    codec.reset(avcodec_alloc_context3(decoder));
    frame.reset(av_frame_alloc());
    if (!codec || !frame) return AVERROR(ENOMEM);
    if (const int status = avcodec_parameters_to_context(codec.get(), stream.codecpar); status < 0) return status;
    codec->pkt_timebase = stream.time_base;
    codec->thread_count = DecoderThreads(*decoder);
    timeBase = stream.time_base;
    return avcodec_open2(codec.get(), decoder, nullptr);
}

double StreamDecoder::SampleTime(const AVFrame& decoded) const {
    if (decoded.best_effort_timestamp == AV_NOPTS_VALUE) return 0.0;
    return double(decoded.best_effort_timestamp) * av_q2d(timeBase);
}

std::optional<int64_t> StreamDecoder::PresentationTime(const AVFrame& decoded) {
    if (decoded.pts == AV_NOPTS_VALUE) return std::nullopt;
    return decoded.pts;
}

std::optional<int64_t> StreamDecoder::MaxTimestampStep(bool timestampsJump, AVRational unit) {
    constexpr int kMaxStepSeconds = 10;
    if (!timestampsJump) return std::nullopt;
    return av_rescale_q(kMaxStepSeconds, AVRational{1, 1}, unit);
}

void StreamDecoder::Run(PacketQueue& queue, std::stop_token stopToken) {
    stop = stopToken;
    bool healthy = true;
    bool queueEnded = false;
    PacketWindow window;
    while (healthy && !Finished() && !stop.stop_requested()) {
        while (!queueEnded && window.Size() <= LookAhead()) {
            ffmpeg::PacketPtr packet = queue.Pop();
            if (packet)
                window.Push(std::move(packet));
            else
                queueEnded = true;
        }
        if (window.Size() == 0) break;
        const ffmpeg::PacketPtr packet = window.Take();
        healthy = Decode(packet.get(), UseOf(*packet, window));
    }
    if (!stop.stop_requested()) {
        if (healthy && !Finished()) Decode(nullptr);
        DeliverRest();
    }
    // Nothing more is taken from the queue: let the demuxer drop this stream's packets.
    queue.Close();
}

bool StreamDecoder::Decode(const AVPacket* packet, PacketUse use) {
    if (use == PacketUse::Leave) return true;
    codec->skip_frame = use == PacketUse::DecodeIfReferenced ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    const int sent = avcodec_send_packet(codec.get(), packet);
    if (sent == AVERROR_INVALIDDATA) return true;
    if (sent < 0) return false;
    for (;;) {
        const int received = avcodec_receive_frame(codec.get(), frame.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF || received == AVERROR_INVALIDDATA) return true;
        if (received < 0) return false;
        const bool delivered = Deliver(*frame);
        av_frame_unref(frame.get());
        if (!delivered) return false;
    }
}
