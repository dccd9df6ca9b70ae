#pragma once
// A compressor installed under "vidc" / "cvid" in place of the real one: it records what the
// encoder asks and answers with valid single-strip Cinepak frames of a chosen size, or with
// the faults a broken compressor could produce.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/VideoCompressor.h"

struct FakeCall {
    int32_t frameNumber = 0;
    uint32_t desiredBytes = 0;
    bool hasPrevious = false;
    uint8_t firstByte = 0;  // first byte of the input picture
};

enum class FakeFault { None, TwoStrips, WrongWidth, Refuse };

struct FakeCompressorScript {
    // Size of each answered frame in bytes (2 more than a multiple of 4, at least 38); by default
    // the largest such size within the budget.
    std::function<uint32_t(const FakeCall&)> frameBytes;
    std::function<FakeFault(const FakeCall&)> fault;
    // Sees every frame the encoder hands over, before it is answered.
    std::function<void(const ICCOMPRESS&)> observe;
    std::vector<FakeCall> calls;
    std::vector<long> messages;  // message order: 1 frames info, 2 begin, 3 end
    int32_t framesInfoCount = -1;
    bool locate = true;
};

// Installs the fake for the lifetime of the object; restores nothing (tests install what they need).
class ScopedFakeCompressor {
public:
    explicit ScopedFakeCompressor(FakeCompressorScript& script);
    ~ScopedFakeCompressor();
};
