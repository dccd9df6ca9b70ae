#pragma once
// Plain records shaped like the host platform's media format blocks, so that the
// geometry plan, the compressor and the sound capture read the fields they name.
#include <cstdint>
#include <vector>

// Bitmap description of one picture (40 bytes on the wire).
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;  // positive: rows stored bottom-up
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;  // 0: uncompressed RGB; otherwise a four-character code
    uint32_t biSizeImage = 0;    // bytes of one picture
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

inline constexpr uint32_t kBitmapInfoHeaderBytes = 40;

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Video format of the decoded frames: frame duration and bitmap description.
// Bytes of a bitmap header longer than 40 bytes (biSize > 40) follow in bmiExtension.
struct VideoInfoHeader {
    Rect rcSource;
    Rect rcTarget;
    uint32_t dwBitRate = 0;
    uint32_t dwBitErrorRate = 0;
    int64_t AvgTimePerFrame = 0;  // 100 ns units; 0 when the source states none
    BitmapInfoHeader bmiHeader;
    std::vector<uint8_t> bmiExtension;
};

inline constexpr uint16_t WAVE_FORMAT_PCM = 1;

// Sound format of the decoded PCM buffers.
struct WaveFormatEx {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;  // bytes per frame of all channels
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};
