#pragma once
// The two callback objects through which the decoded pictures and sound reach the
// encoder. Each grabber holds a reference on its sink; the sink frees itself when the
// last reference goes. They borrow the MovieEncoder, which outlives the run.
#include <atomic>

#include "source/ComPtr.h"
#include "source/SampleGrabberCB.h"

class MovieEncoder;

// What the two sinks share: the reference count, the interface query and the encoder.
class SampleSink : public ISampleGrabberCB {
public:
    HRESULT QueryInterface(const GUID& iid, void** object) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    // Buffer mode only: answers E_NOTIMPL and does nothing.
    HRESULT SampleCB(double sampleTime, IMediaSample* sample) override;

    // The encoder the buffers go to; set once, before the sink is registered.
    void SetEncoder(MovieEncoder* encoder);

protected:
    SampleSink() = default;
    ~SampleSink() override = default;

    MovieEncoder* encoder = nullptr;

private:
    std::atomic<int32_t> referenceCount{0};
};

// Hands every decoded frame to MovieEncoder::EncodeFrame, whatever its length.
class VideoSampleSink final : public SampleSink {
public:
    // A new sink; the returned handle holds the only reference.
    static ComPtr<VideoSampleSink> Create();
    HRESULT BufferCB(double sampleTime, uint8_t* buffer, int32_t length) override;

private:
    VideoSampleSink() = default;
    ~VideoSampleSink() override = default;
};

// Hands every decoded sound buffer of at least one byte to MovieEncoder::AppendAudio.
class AudioSampleSink final : public SampleSink {
public:
    // A new sink; the returned handle holds the only reference.
    static ComPtr<AudioSampleSink> Create();
    HRESULT BufferCB(double sampleTime, uint8_t* buffer, int32_t length) override;

private:
    AudioSampleSink() = default;
    ~AudioSampleSink() override = default;
};
