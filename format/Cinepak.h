#pragma once
// The parts of the Cinepak bitstream that the compressor writes, the stream's records keep
// and the player decodes: header sizes, strip and chunk ids, codebook entries. All of the
// bitstream's own multi-byte fields are big-endian. Freestanding: the player includes it too.
#include <stdint.h>

namespace cinepak {

inline constexpr uint32_t kFrameHeaderBytes = 10;  // flags, 24-bit length, width, height, strip count
inline constexpr uint32_t kStripHeaderBytes = 12;  // id, size, top, left, bottom, right
inline constexpr uint32_t kChunkHeaderBytes = 4;   // id byte, 24-bit size (header included)
inline constexpr uint32_t kEntryBytes = 6;         // Y0 Y1 Y2 Y3 U V
inline constexpr uint32_t kLumaEntryBytes = 4;     // Y0 Y1 Y2 Y3 of a luma-only codebook
inline constexpr uint32_t kWordBytes = 4;          // flag and mask words
inline constexpr int kSlots = 256;                 // entries of each codebook: an index is one byte
inline constexpr int kMaskGroup = 32;              // entries covered by one mask word of a partial codebook

// The strip id as the strip header's first 16-bit field holds it.
inline constexpr uint16_t kIntraStripId = 0x1000;
inline constexpr uint16_t kInterStripId = 0x1100;

// Chunk ids: the chunk header's first byte (FFmpeg reads that byte alone). Codebook ids carry
// the bits kPartialBit, kV1Bit and kLumaOnlyBit.
enum class ChunkId : uint8_t {
    V4Full = 0x20,
    V4Partial = 0x21,
    V1Full = 0x22,
    V1Partial = 0x23,
    V4LumaFull = 0x24,
    V4LumaPartial = 0x25,
    V1LumaFull = 0x26,
    V1LumaPartial = 0x27,
    VectorsIntra = 0x30,  // 1 flag bit per block: V4 or V1
    VectorsInter = 0x31,  // skip bit, then V4/V1 bit for coded blocks
    VectorsV1 = 0x32,     // every block V1, no flags
};

inline constexpr uint32_t kPartialBit = 0x01;   // a mask word ahead of every 32 entries
inline constexpr uint32_t kV1Bit = 0x02;        // the V1 codebook, else the V4 one
inline constexpr uint32_t kLumaOnlyBit = 0x04;  // kLumaEntryBytes entries, U = V = 0

constexpr bool IsCodebookChunk(uint32_t id) {
    return id >= uint32_t(ChunkId::V4Full) && id <= uint32_t(ChunkId::V1LumaPartial);
}

constexpr bool IsVectorsChunk(uint32_t id) {
    return id >= uint32_t(ChunkId::VectorsIntra) && id <= uint32_t(ChunkId::VectorsV1);
}

// The first 16 bits of a chunk header that holds `id`, for a chunk shorter than 65,536 bytes
// (as every chunk of a stream record is): the id byte, then the size's zero high byte.
constexpr uint32_t ChunkWord(ChunkId id) {
    return uint32_t(id) << 8;
}

}  // namespace cinepak
