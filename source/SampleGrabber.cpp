#include "source/SampleGrabber.h"

#include <utility>

void SampleGrabber::SetCallback(ComPtr<ISampleGrabberCB> newCallback) {
    std::lock_guard lock(mutex);
    std::swap(callback, newCallback);
}

bool SampleGrabber::HasCallback() const {
    std::lock_guard lock(mutex);
    return bool(callback);
}

void SampleGrabber::Deliver(double sampleTime, uint8_t* buffer, int32_t length) {
    std::lock_guard lock(mutex);
    if (callback) callback->BufferCB(sampleTime, buffer, length);
}
