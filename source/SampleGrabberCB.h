#pragma once
// The host's sample-grabber callback interface, kept in its shape: reference counting and
// interface queries as the component object model defines them, and the two callbacks a
// grabber makes. Only buffer mode is used here; SampleCB is never called.
#include <cstdint>

using HRESULT = int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_NOTIMPL = int32_t(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = int32_t(0x80004002);

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];

    friend bool operator==(const GUID&, const GUID&) = default;
};

// {00000000-0000-0000-C000-000000000046}
inline constexpr GUID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0579154A-2B53-4994-B0D0-E773148EFF85}
inline constexpr GUID IID_ISampleGrabberCB{0x0579154A, 0x2B53, 0x4994, {0xB0, 0xD0, 0xE7, 0x73, 0x14, 0x8E, 0xFF, 0x85}};

// A media sample of the host; only named, since buffer mode never passes one.
class IMediaSample;

class IUnknown {
public:
    // Stores this object in *object and adds a reference when it offers the interface;
    // otherwise stores null and answers E_NOINTERFACE.
    virtual HRESULT QueryInterface(const GUID& iid, void** object) = 0;
    virtual uint32_t AddRef() = 0;
    // Drops a reference; the object frees itself when none is left. Answers the references left.
    virtual uint32_t Release() = 0;

protected:
    ~IUnknown() = default;  // objects free themselves through Release
};

class ISampleGrabberCB : public IUnknown {
public:
    virtual HRESULT SampleCB(double sampleTime, IMediaSample* sample) = 0;
    // One buffer of `length` bytes, borrowed for the duration of the call. `sampleTime` in seconds.
    virtual HRESULT BufferCB(double sampleTime, uint8_t* buffer, int32_t length) = 0;

protected:
    virtual ~ISampleGrabberCB() = default;
};
