#pragma once
// The video compression manager: compressors installed by type and handler, located for
// a format, and driven by one call per message. Results are ICERR_OK (0) on success.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/MediaFormats.h"

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

inline constexpr uint32_t ICTYPE_VIDEO = MakeFourCC('v', 'i', 'd', 'c');
inline constexpr uint32_t kCinepakHandler = MakeFourCC('c', 'v', 'i', 'd');
inline constexpr uint16_t ICMODE_COMPRESS = 1;

inline constexpr long ICERR_OK = 0;
inline constexpr long ICERR_UNSUPPORTED = -1;
inline constexpr long ICERR_BADFORMAT = -2;
inline constexpr long ICERR_MEMORY = -3;
inline constexpr long ICERR_INTERNAL = -4;
inline constexpr long ICERR_BADPARAM = -6;
inline constexpr long ICERR_BADSIZE = -7;
inline constexpr long ICERR_ERROR = -100;

inline constexpr uint32_t ICCOMPRESS_KEYFRAME = 1;
// What a compressor reports through ICCOMPRESS::lpdwFlags and lpckid.
inline constexpr uint32_t AVIIF_KEYFRAME = 0x10;
inline constexpr uint32_t cktypeDIBcompressed = uint32_t('d') | uint32_t('c') << 8;

// Per-frame compression record. Every pointer borrows; none owns.
struct ICCOMPRESS {
    uint32_t dwFlags = 0;                        // ICCOMPRESS_KEYFRAME asks for an intra frame
    BitmapInfoHeader* lpbiOutput = nullptr;      // compressed format; biSizeImage receives the frame's size
    uint8_t* lpOutput = nullptr;                 // receives the compressed frame
    const BitmapInfoHeader* lpbiInput = nullptr;
    const uint8_t* lpInput = nullptr;
    uint32_t* lpckid = nullptr;
    uint32_t* lpdwFlags = nullptr;
    int32_t lFrameNum = 0;                       // 0 starts with an intra frame
    uint32_t dwFrameSize = 0;                    // desired frame size in bytes
    uint32_t dwQuality = 0;
    const BitmapInfoHeader* lpbiPrev = nullptr;
    const uint8_t* lpPrev = nullptr;             // the previous input picture; none: intra frame
};

// What the stream will be: sent once before compression begins.
struct ICCOMPRESSFRAMES {
    uint32_t dwFlags = 0;
    const BitmapInfoHeader* lpbiOutput = nullptr;
    const BitmapInfoHeader* lpbiInput = nullptr;
    int32_t lStartFrame = 0;
    int32_t lFrameCount = 0;
    int32_t lQuality = 0;
    int32_t lDataRate = 0;   // bytes per second
    int32_t lKeyRate = 0;
    uint32_t dwRate = 0;     // frame rate = dwRate / dwScale
    uint32_t dwScale = 0;
};

// An opened compressor. Destroying it closes it.
class VideoCompressor {
public:
    virtual ~VideoCompressor() = default;
    // Answers ICERR_OK when the compressor can turn `input` into `output` (or into anything, output null).
    virtual long CompressQuery(const BitmapInfoHeader* input, const BitmapInfoHeader* output) = 0;
    // output null: answers the size in bytes of the output format; otherwise fills it.
    virtual long CompressGetFormat(const BitmapInfoHeader* input, BitmapInfoHeader* output) = 0;
    // Answers the largest compressed frame in bytes.
    virtual long CompressGetSize(const BitmapInfoHeader* input, const BitmapInfoHeader* output) = 0;
    virtual long GetDefaultQuality(uint32_t* quality) = 0;
    virtual long CompressFramesInfo(const ICCOMPRESSFRAMES* info) = 0;
    // state null: answers the state's size in bytes; otherwise fills it and answers the bytes written.
    virtual long GetState(uint8_t* state, uint32_t size) = 0;
    virtual long SetState(const uint8_t* state, uint32_t size) = 0;
    virtual long CompressBegin(const BitmapInfoHeader* input, const BitmapInfoHeader* output) = 0;
    virtual long Compress(ICCOMPRESS* params) = 0;
    virtual long CompressEnd() = 0;
};

using VideoCompressorFactory = std::function<std::unique_ptr<VideoCompressor>()>;

// Installs (or replaces) the compressor of a type and handler.
void ICInstall(uint32_t fccType, uint32_t fccHandler, VideoCompressorFactory factory);
// Installs the compressor of a type and handler unless one is installed there already
// (a stand-in that a test or benchmark put in its place).
void ICInstallIfAbsent(uint32_t fccType, uint32_t fccHandler, VideoCompressorFactory factory);
// Removes an installed compressor; nothing when none is installed.
void ICRemove(uint32_t fccType, uint32_t fccHandler);
// Opens the compressor of the type and handler if it accepts the formats; null otherwise.
std::unique_ptr<VideoCompressor> ICLocate(uint32_t fccType, uint32_t fccHandler,
                                          const BitmapInfoHeader* input,
                                          const BitmapInfoHeader* output, uint16_t mode);
