#pragma once
// The end of one decoded path: hands each decoded buffer to the callback registered on it.
#include <cstdint>
#include <mutex>

#include "source/ComPtr.h"
#include "source/SampleGrabberCB.h"

class SampleGrabber {
public:
    // Registers the callback (null lets go of the current one). Once this returns, the
    // previous callback is not running and will not be called again.
    void SetCallback(ComPtr<ISampleGrabberCB> callback);
    bool HasCallback() const;
    // Calls the callback's BufferCB with one buffer; nothing while none is registered.
    void Deliver(double sampleTime, uint8_t* buffer, int32_t length);

private:
    mutable std::mutex mutex;  // held across BufferCB so that SetCallback cannot swap it mid-call
    ComPtr<ISampleGrabberCB> callback;
};
