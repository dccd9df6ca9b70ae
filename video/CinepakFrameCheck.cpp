#include "video/CinepakFrameCheck.h"

#include "format/Cinepak.h"
#include "format/MovieStream.h"

namespace {

using cinepak::kFrameHeaderBytes;
using cinepak::kStripHeaderBytes;
using movie_stream::kMaxFrameBytes;

uint32_t BigEndian(std::span<const uint8_t> s, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | s[at + i];
    return value;
}

}  // namespace

std::optional<CinepakStrip> CheckCinepakFrame(std::span<const uint8_t> frame, int32_t width, int32_t height) {
    if (frame.size() < kFrameHeaderBytes + kStripHeaderBytes) return std::nullopt;
    const uint32_t length = BigEndian(frame, 1, 3);  // byte 0 holds flags
    if (length < 6 || length > kMaxFrameBytes || length > frame.size()) return std::nullopt;
    if (BigEndian(frame, 4, 2) != uint32_t(width) || BigEndian(frame, 6, 2) != uint32_t(height)) return std::nullopt;
    if (BigEndian(frame, 8, 2) != 1) return std::nullopt;
    const uint32_t stripSize = BigEndian(frame, 12, 2);
    if (stripSize != length - kFrameHeaderBytes || stripSize < kStripHeaderBytes) return std::nullopt;
    const bool spansPicture = BigEndian(frame, 14, 2) == 0 && BigEndian(frame, 16, 2) == 0 &&
                              BigEndian(frame, 18, 2) == uint32_t(height) && BigEndian(frame, 20, 2) == uint32_t(width);
    if (!spansPicture) return std::nullopt;
    return CinepakStrip{uint16_t(BigEndian(frame, 10, 2)),
                        frame.subspan(kFrameHeaderBytes + kStripHeaderBytes, stripSize - kStripHeaderBytes)};
}
