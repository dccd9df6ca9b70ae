#include "player/CinepakDecoder.h"

#include "format/Cinepak.h"
#include "format/Handheld.h"
#include "format/MovieStream.h"
#include "player/ByteOrder.h"
#include "player/CinepakCodebooks.h"
#include "player/CinepakVectors.h"
#include "player/hw/Registers.h"

namespace {

using cinepak::ChunkId;
using cinepak::ChunkWord;

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
// Canvas::changed for the largest picture.
alignas(4) uint8_t gChanged[(handheld::kScreenWidth / 4) * (handheld::kScreenHeight / 4)];
static_assert(sizeof(Codebooks) % 4 == 0 && sizeof(gChanged) % 4 == 0);
// Every block marked as drawn into the other buffer only; in RAM, as a fixed DMA source must be.
constinit uint32_t gAllChanged = 0x01010101;

// The vectors chunk of a record, id 0 when there is none.
struct VectorsChunk {
    uint32_t id;
    const uint8_t* data;
    const uint8_t* end;
};

// Copies `bytes` (rounded up to the DMA unit) from the cartridge; `source` is even.
void CopyFromCartridge(const uint8_t* source, uint32_t bytes) {
    const bool wordAligned = (reinterpret_cast<uintptr_t>(source) & 3) == 0;
    auto* destination = reinterpret_cast<uint8_t*>(gRecordBuffer);
    for (uint32_t done = 0; done < bytes; done += kCopyPieceBytes) {
        const uint32_t piece = bytes - done < kCopyPieceBytes ? bytes - done : kCopyPieceBytes;
        // The v-blank handler uses DMA channel 3 as well, to show a picture.
        const hw::InterruptsMasked masked;
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

// Reads the record up to its first vectors chunk, applying the codebook chunks on the way.
VectorsChunk ApplyCodebooks(const uint8_t* record) {
    const uint8_t* chunk = record + movie_stream::kRecordHeaderBytes;
    const uint8_t* const end = record + ReadLe16(record);
    while (end - chunk >= static_cast<int>(cinepak::kChunkHeaderBytes)) {
        const uint32_t id = ReadBe16(chunk);
        const uint32_t size = ReadBe16(chunk + 2);
        if (size < cinepak::kChunkHeaderBytes) {
            break;
        }
        const uint8_t* const data = chunk + cinepak::kChunkHeaderBytes;
        const uint8_t* const chunkEnd = static_cast<uint32_t>(end - chunk) < size ? end : chunk + size;
        if (id >= ChunkWord(ChunkId::V4Full) && id <= ChunkWord(ChunkId::V1LumaPartial) && (id & 0xFF) == 0) {
            LoadCodebook(id >> 8, data, chunkEnd, gCodebooks);
        } else if (id == ChunkWord(ChunkId::VectorsIntra) || id == ChunkWord(ChunkId::VectorsInter) ||
                   id == ChunkWord(ChunkId::VectorsV1)) {
            return {id, data, chunkEnd};
        }
        chunk = chunkEnd;
    }
    return {};
}

}  // namespace

void ResetDecoder() {
    hw::Dma3Clear32(&gCodebooks, sizeof(Codebooks) / 4);
    hw::Dma3Fill32(gChanged, sizeof(gChanged) / 4, &gAllChanged);
}

void DecodeFrameRecord(const uint8_t* record, const BlockGrid& grid, uint32_t buffer) {
    const VectorsChunk vectors = ApplyCodebooks(FastestCopy(record));
    uint32_t* const origin = grid.origin[buffer];
    const uintptr_t previous = reinterpret_cast<uintptr_t>(grid.origin[buffer ^ 1]);
    const Canvas canvas{origin, grid.blocksWide, grid.blocksHigh,
                        static_cast<int32_t>(previous - reinterpret_cast<uintptr_t>(origin)), gChanged};
    switch (vectors.id) {
    case ChunkWord(ChunkId::VectorsIntra): ExpandIntraVectors(vectors.data, vectors.end, &gCodebooks, &canvas); break;
    case ChunkWord(ChunkId::VectorsInter): ExpandInterVectors(vectors.data, vectors.end, &gCodebooks, &canvas); break;
    case ChunkWord(ChunkId::VectorsV1): ExpandV1Vectors(vectors.data, vectors.end, &gCodebooks, &canvas); break;
    // No vectors chunk: nothing is drawn, the whole picture stays as it was.
    default: ExpandInterVectors(nullptr, nullptr, &gCodebooks, &canvas); break;
    }
}
