#include "player/CinepakDecoder.h"

#include "player/ByteOrder.h"
#include "player/CinepakCodebooks.h"
#include "player/CinepakVectors.h"
#include "player/hw/Registers.h"
#include "video/MovieStreamLayout.h"

namespace {

inline constexpr uint32_t kChunkHeaderBytes = 4;

// A record is decoded from a copy in internal work RAM, where a byte costs 3 cycles to read
// instead of 7 from the cartridge. 16 KiB holds any record of a 240 x 160 picture made of
// standard chunks (two full codebooks and 2,400 V4 blocks with skip flags: about 13.3 KB);
// a longer record is decoded where it lies.
inline constexpr uint32_t kRecordBufferBytes = 16 * 1024;
// Copied in pieces, because the CPU and the v-blank interrupt wait while DMA channel 3 runs:
// a piece takes under 2,000 cycles, so the sound buffer swap is never held up for long.
inline constexpr uint32_t kCopyPieceBytes = 1024;
static_assert(kCopyPieceBytes % 4 == 0 && kRecordBufferBytes % kCopyPieceBytes == 0);

Codebooks gCodebooks;  // internal work RAM, next to the code that reads it
uint32_t gRecordBuffer[kRecordBufferBytes / 4];

// The vectors chunk of the prepared record, id 0 when there is none.
struct VectorsChunk {
    uint32_t id;
    const uint8_t* data;
    const uint8_t* end;
};
VectorsChunk gVectors;

// Copies `bytes` (rounded up to the DMA unit) from the cartridge; `source` is even.
void CopyFromCartridge(const uint8_t* source, uint32_t bytes) {
    const bool wordAligned = (reinterpret_cast<uintptr_t>(source) & 3) == 0;
    auto* destination = reinterpret_cast<uint8_t*>(gRecordBuffer);
    for (uint32_t done = 0; done < bytes; done += kCopyPieceBytes) {
        const uint32_t piece = bytes - done < kCopyPieceBytes ? bytes - done : kCopyPieceBytes;
        if (wordAligned) {
            hw::Dma3Copy32(source + done, destination + done, static_cast<uint16_t>((piece + 3) / 4));
        } else {
            hw::Dma3Copy16(source + done, destination + done, static_cast<uint16_t>((piece + 1) / 2));
        }
    }
}

// The record where it is fastest to read: the buffer if it fits and the DMA can fetch it.
const uint8_t* FastestCopy(const uint8_t* record) {
    const uint32_t length = ReadLe16(record);
    // The DMA reads up to 3 bytes past the record's end, hence the 4 bytes kept free.
    if (length > kRecordBufferBytes - 4 || (reinterpret_cast<uintptr_t>(record) & 1) != 0) {
        return record;
    }
    CopyFromCartridge(record, length);
    return reinterpret_cast<const uint8_t*>(gRecordBuffer);
}

}  // namespace

void ResetCodebooks() {
    gCodebooks = {};
}

void PrepareFrameRecord(const uint8_t* storedRecord) {
    gVectors = {};
    const uint8_t* const record = FastestCopy(storedRecord);
    const uint8_t* chunk = record + movie_stream::kRecordHeaderBytes;
    const uint8_t* const end = record + ReadLe16(record);
    while (end - chunk >= static_cast<int>(kChunkHeaderBytes)) {
        const uint32_t id = ReadBe16(chunk);
        const uint32_t size = ReadBe16(chunk + 2);
        if (size < kChunkHeaderBytes) {
            return;
        }
        const uint8_t* const data = chunk + kChunkHeaderBytes;
        const uint8_t* const chunkEnd = static_cast<uint32_t>(end - chunk) < size ? end : chunk + size;
        if (id >= 0x2000 && id <= 0x2700 && (id & 0xFF) == 0) {
            LoadCodebook(id >> 8, data, chunkEnd, gCodebooks);
        } else if (id == 0x3000 || id == 0x3100 || id == 0x3200) {
            gVectors = {id, data, chunkEnd};
            return;
        }
        chunk = chunkEnd;
    }
}

void DrawFrameRecord(const BlockGrid& grid) {
    switch (gVectors.id) {
    case 0x3000: ExpandIntraVectors(gVectors.data, gVectors.end, &gCodebooks, &grid); break;
    case 0x3100: ExpandInterVectors(gVectors.data, gVectors.end, &gCodebooks, &grid); break;
    case 0x3200: ExpandV1Vectors(gVectors.data, gVectors.end, &gCodebooks, &grid); break;
    default: break;  // a record without a vectors chunk draws nothing
    }
    gVectors = {};
}
