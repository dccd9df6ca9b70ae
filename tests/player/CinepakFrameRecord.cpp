#include "tests/player/CinepakFrameRecord.h"

#include <stdexcept>

#include "tests/player/StripBuilder.h"

namespace {

constexpr size_t kFrameHeaderBytes = 10;
constexpr size_t kStripHeaderBytes = 12;

uint32_t BigEndian(std::span<const uint8_t> bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[at + size_t(i)];
    return value;
}

}  // namespace

FrameRecord RecordFromCinepakFrame(std::span<const uint8_t> frame) {
    if (frame.size() < kFrameHeaderBytes + kStripHeaderBytes || BigEndian(frame, 8, 2) != 1)
        throw std::runtime_error("a Cinepak frame without exactly one strip");
    const uint32_t stripBytes = BigEndian(frame, kFrameHeaderBytes + 2, 2);
    if (stripBytes < kStripHeaderBytes || kFrameHeaderBytes + stripBytes > frame.size())
        throw std::runtime_error("a Cinepak strip larger than its frame");
    FrameRecord record;
    record.stripId = uint16_t(BigEndian(frame, kFrameHeaderBytes, 2));
    const auto chunks = frame.subspan(kFrameHeaderBytes + kStripHeaderBytes, stripBytes - kStripHeaderBytes);
    record.chunks.assign(chunks.begin(), chunks.end());
    size_t last = 0;
    for (size_t at = 0; at + 4 <= record.chunks.size(); at += BigEndian(record.chunks, at + 1, 3)) {
        last = at;
        if (BigEndian(record.chunks, at + 1, 3) < 4) throw std::runtime_error("a Cinepak chunk shorter than its header");
    }
    PadRecord(record.chunks, last);
    return record;
}
