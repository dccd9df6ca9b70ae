#include "source/SampleSinks.h"

#include "video/MovieEncoder.h"

HRESULT SampleSink::QueryInterface(const GUID& iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
        *object = static_cast<ISampleGrabberCB*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

uint32_t SampleSink::AddRef() { return uint32_t(referenceCount.fetch_add(1) + 1); }

uint32_t SampleSink::Release() {
    const int32_t remaining = referenceCount.fetch_sub(1) - 1;
    if (remaining == 0) delete this;
    return uint32_t(remaining);
}

HRESULT SampleSink::SampleCB(double, IMediaSample*) { return E_NOTIMPL; }

void SampleSink::SetEncoder(MovieEncoder* newEncoder) { encoder = newEncoder; }

ComPtr<VideoSampleSink> VideoSampleSink::Create() { return ComPtr<VideoSampleSink>(new VideoSampleSink()); }

HRESULT VideoSampleSink::BufferCB(double, uint8_t* buffer, int32_t length) {
    encoder->EncodeFrame(buffer, length);
    return S_OK;
}

ComPtr<AudioSampleSink> AudioSampleSink::Create() { return ComPtr<AudioSampleSink>(new AudioSampleSink()); }

HRESULT AudioSampleSink::BufferCB(double, uint8_t* buffer, int32_t length) {
    if (length >= 1) encoder->AppendAudio(buffer, uint32_t(length));
    return S_OK;
}
