#pragma once
// The decoding graph of one conversion: the opened movie with its decoders, ending in a
// video and an audio sample grabber. The job keeps it from building to the end of the
// conversion; destroying it stops decoding and frees everything, in any state.
#include <memory>

#include "source/SampleGrabber.h"

class DecodingPipeline;

class SourceGraph {
public:
    SourceGraph();
    ~SourceGraph();
    SourceGraph(const SourceGraph&) = delete;
    SourceGraph& operator=(const SourceGraph&) = delete;

    // Decoded pictures: bottom-up 24-bit B,G,R, rows padded to 4 bytes, one whole picture per
    // call; in a conversion, a slot that becomes no record of the encoder's plan comes without
    // bytes (null, length 0).
    SampleGrabber& VideoGrabber() { return videoGrabber; }
    // Decoded sound: interleaved PCM in the format the encoder accepted.
    SampleGrabber& AudioGrabber() { return audioGrabber; }
    // The machinery behind the grabbers, for source/ itself (source/internal/DecodingPipeline.h).
    DecodingPipeline& Pipeline() { return *pipeline; }

private:
    SampleGrabber videoGrabber;
    SampleGrabber audioGrabber;
    // After the grabbers: its threads are stopped before the grabbers go.
    std::unique_ptr<DecodingPipeline> pipeline;
};
