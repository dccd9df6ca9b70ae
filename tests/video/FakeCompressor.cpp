#include "tests/video/FakeCompressor.h"

#include <algorithm>

namespace {

void PutBigEndian(uint8_t* at, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i, value >>= 8) at[i] = uint8_t(value);
}

class FakeCompressor : public VideoCompressor {
public:
    explicit FakeCompressor(FakeCompressorScript& script) : script_(script) {}

    long CompressQuery(const BitmapInfoHeader* input, const BitmapInfoHeader*) override {
        return script_.locate && input && input->biBitCount == 24 ? ICERR_OK : ICERR_BADFORMAT;
    }
    long CompressGetFormat(const BitmapInfoHeader* input, BitmapInfoHeader* output) override {
        if (!output) return long(kBitmapInfoHeaderBytes);
        *output = *input;
        output->biCompression = kCinepakHandler;
        return ICERR_OK;
    }
    long CompressGetSize(const BitmapInfoHeader*, const BitmapInfoHeader*) override { return 65541; }
    long GetDefaultQuality(uint32_t* quality) override {
        *quality = 7500;
        return ICERR_OK;
    }
    long CompressFramesInfo(const ICCOMPRESSFRAMES* info) override {
        script_.messages.push_back(1);
        script_.framesInfoCount = info->lFrameCount;
        return ICERR_OK;
    }
    long GetState(uint8_t*, uint32_t) override { return 0; }
    long SetState(const uint8_t*, uint32_t) override { return ICERR_OK; }
    long CompressBegin(const BitmapInfoHeader*, const BitmapInfoHeader*) override {
        script_.messages.push_back(2);
        return ICERR_OK;
    }
    long CompressEnd() override {
        script_.messages.push_back(3);
        return ICERR_OK;
    }
    long Compress(ICCOMPRESS* params) override {
        const FakeCall call{params->lFrameNum, params->dwFrameSize, params->lpPrev != nullptr, params->lpInput[0]};
        script_.calls.push_back(call);
        if (script_.observe) script_.observe(*params);
        const FakeFault fault = script_.fault ? script_.fault(call) : FakeFault::None;
        if (fault == FakeFault::Refuse) return ICERR_ERROR;
        const uint32_t bytes = script_.frameBytes ? script_.frameBytes(call) : LargestFrameWithin(params->dwFrameSize);
        Write(*params->lpbiInput, bytes, fault, params->lpOutput);
        params->lpbiOutput->biSizeImage = bytes;
        return ICERR_OK;
    }

private:
    // Strip sizes are multiples of 4, so whole frames are 2 more than a multiple of 4.
    static uint32_t LargestFrameWithin(uint32_t budget) {
        return std::max<uint32_t>(38, ((budget - 2) & ~3u) + 2);
    }

    // Frame header, strip header, a one-entry V1 codebook, then an all-V1 vectors chunk padded to size.
    static void Write(const BitmapInfoHeader& input, uint32_t bytes, FakeFault fault, uint8_t* out) {
        std::fill(out, out + bytes, 0);
        const uint32_t width = uint32_t(input.biWidth) + (fault == FakeFault::WrongWidth ? 4 : 0);
        const uint32_t height = uint32_t(input.biHeight);
        PutBigEndian(out + 1, bytes, 3);
        PutBigEndian(out + 4, width, 2);
        PutBigEndian(out + 6, height, 2);
        PutBigEndian(out + 8, fault == FakeFault::TwoStrips ? 2 : 1, 2);
        PutBigEndian(out + 10, 0x1000, 2);
        PutBigEndian(out + 12, bytes - 10, 2);
        PutBigEndian(out + 18, height, 2);
        PutBigEndian(out + 20, width, 2);
        out[22] = 0x22;
        PutBigEndian(out + 23, 10, 3);
        out[32] = 0x32;
        PutBigEndian(out + 33, bytes - 32, 3);
    }

    FakeCompressorScript& script_;
};

}  // namespace

ScopedFakeCompressor::ScopedFakeCompressor(FakeCompressorScript& script) {
    ICInstall(ICTYPE_VIDEO, kCinepakHandler, [&script] { return std::make_unique<FakeCompressor>(script); });
}

ScopedFakeCompressor::~ScopedFakeCompressor() {
    ICRemove(ICTYPE_VIDEO, kCinepakHandler);
}
