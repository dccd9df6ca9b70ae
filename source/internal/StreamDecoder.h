#pragma once
// Decodes one stream of the movie on its own thread and hands every decoded frame, converted
// to the grabber's format, to the stream's sample grabber.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>

#include "source/SampleGrabber.h"
#include "source/internal/Ffmpeg.h"
#include "source/internal/MediaStatus.h"

class PacketQueue;
class PacketWindow;

class StreamDecoder {
public:
    explicit StreamDecoder(SampleGrabber& grabber);
    virtual ~StreamDecoder();
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    // The body of the stream's decode thread: decodes the queue's packets until the queue
    // ends (or the stream has Finished), then drains the decoder and delivers what it held back.
    // A stop ends it before the next packet and skips the draining.
    // A decoder failure ends the stream early, as its end would (what was held back is still
    // delivered); a damaged packet is skipped.
    void Run(PacketQueue& queue, std::stop_token stop);

protected:
    // What is done with a packet.
    enum class PacketUse {
        Decode,
        DecodeIfReferenced,  // its picture is dropped by the decoder when nothing refers to it
        Leave,               // not sent: a picture that stands alone and is not needed
    };

    // Opens the decoder for the stream's codec.
    [[nodiscard]] MediaStatus OpenCodec(const AVStream& stream);
    const AVCodecContext& Codec() const { return *codec; }
    // The ticks of the stream's timestamps.
    AVRational TimeBase() const { return timeBase; }
    // The frame's time in seconds, 0 when it has none.
    double SampleTime(const AVFrame& frame) const;
    // The presentation time the file gives the frame, in ticks. None for a frame whose packet
    // had only a decoding time: guesses from those run late by the delay of a decoder that
    // holds frames back (MPEG video in AVI), so such a frame is taken to follow the one before.
    static std::optional<int64_t> PresentationTime(const AVFrame& frame);
    // The largest step between timestamps that is not a jump, in units of `unit`; none in a
    // container whose timestamps do not jump. 10 s, as FFmpeg's command-line tool takes it.
    static std::optional<int64_t> MaxTimestampStep(bool timestampsJump, AVRational unit);
    // Leaves the loop filter out of these pictures. Before decoding.
    void LeaveOutLoopFilter(AVDiscard pictures) { codec->skip_loop_filter = pictures; }
    // Whether the decode thread was asked to stop: long deliveries end early.
    bool StopRequested() const { return stop.stop_requested(); }

    // Converts one decoded frame and hands it to the grabber; false when it cannot be converted.
    virtual bool Deliver(const AVFrame& frame) = 0;
    // Hands over what the converter still holds once the last frame has been delivered.
    virtual void DeliverRest() {}
    // Whether the stream has delivered all it is to deliver (a part of a movie has ended):
    // decoding stops as at the stream's end.
    virtual bool Finished() const { return false; }
    // How many packets after one UseOf wants to see.
    virtual size_t LookAhead() const { return 0; }
    // What to do with the next packet; `window` holds the packets after it.
    virtual PacketUse UseOf(const AVPacket&, const PacketWindow&) { return PacketUse::Decode; }

    SampleGrabber& grabber;

private:
    // Sends one packet (null: the end) and delivers every frame it completes; false on a failure.
    bool Decode(const AVPacket* packet, PacketUse use = PacketUse::Decode);

    ffmpeg::CodecContextPtr codec;
    ffmpeg::FramePtr frame;
    AVRational timeBase{0, 1};
    std::stop_token stop;  // of the running decode thread
};
