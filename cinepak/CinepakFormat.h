#pragma once
// The Cinepak bitstream as FFmpeg's decoder and the handheld player read it: limits, chunk ids
// and the byte counts of each part. All multi-byte fields are big-endian.
#include <cstdint>

namespace cinepak {

inline constexpr int kMinSide = 4;
inline constexpr int kMaxWidth = 240;
inline constexpr int kMaxHeight = 160;
inline constexpr int kSlots = 256;       // entries of each codebook
inline constexpr int kMaskGroup = 32;    // entries covered by one mask word of a partial codebook

inline constexpr uint32_t kFrameHeaderBytes = 10;
inline constexpr uint32_t kStripHeaderBytes = 12;
inline constexpr uint32_t kChunkHeaderBytes = 4;
inline constexpr uint32_t kEntryBytes = 6;  // Y0 Y1 Y2 Y3 U V
inline constexpr uint32_t kWordBytes = 4;   // flag and mask words
inline constexpr uint32_t kMaxFrameBytes = 65541;  // a 16-bit strip size of at most 65,531 + the frame header
inline constexpr uint32_t kStripAlignment = 4;     // keeps the movie stream's records 4-byte aligned

inline constexpr uint16_t kIntraStripId = 0x1000;
inline constexpr uint16_t kInterStripId = 0x1100;

// Chunk ids, written as the high byte of a 16-bit id (FFmpeg reads the first byte only).
enum class ChunkId : uint8_t {
    V4Full = 0x20,
    V4Partial = 0x21,
    V1Full = 0x22,
    V1Partial = 0x23,
    VectorsIntra = 0x30,  // 1 flag bit per block: V4 or V1
    VectorsInter = 0x31,  // skip bit, then V4/V1 bit for coded blocks
    VectorsV1 = 0x32,     // every block V1, no flags
};

enum class BlockMode : uint8_t { Skip, V1, V4 };

// Flag bits a block costs in a vectors chunk of the given kind.
constexpr uint32_t FlagBits(ChunkId vectors, BlockMode mode) {
    switch (vectors) {
    case ChunkId::VectorsIntra: return 1;
    case ChunkId::VectorsInter: return mode == BlockMode::Skip ? 1 : 2;
    default: return 0;
    }
}

// Index bytes a block costs.
constexpr uint32_t IndexBytes(BlockMode mode) {
    return mode == BlockMode::V4 ? 4 : mode == BlockMode::V1 ? 1 : 0;
}

// Bytes of a vectors chunk, header included, before padding.
constexpr uint32_t VectorChunkBytes(ChunkId vectors, uint32_t skipped, uint32_t v1, uint32_t v4) {
    const uint32_t flagBits = skipped * FlagBits(vectors, BlockMode::Skip) +
                              v1 * FlagBits(vectors, BlockMode::V1) + v4 * FlagBits(vectors, BlockMode::V4);
    return kChunkHeaderBytes + (flagBits + 31) / 32 * kWordBytes + v1 + 4 * v4;
}

// Bytes of a full codebook chunk of `entries` entries, header included; none when empty.
constexpr uint32_t FullCodebookBytes(uint32_t entries) {
    return entries == 0 ? 0 : kChunkHeaderBytes + entries * kEntryBytes;
}

// Bytes of a partial codebook chunk that replaces `entries` entries whose highest slot lies in
// mask group `lastGroup` (0-based); none when empty. It carries no padding: a decoder would read
// padding as one more mask.
constexpr uint32_t PartialCodebookBytes(uint32_t entries, uint32_t lastGroup) {
    return entries == 0 ? 0 : kChunkHeaderBytes + (lastGroup + 1) * kWordBytes + entries * kEntryBytes;
}

// Padding that makes a strip of `stripBytes` a multiple of kStripAlignment.
constexpr uint32_t StripPadding(uint32_t stripBytes) {
    return (kStripAlignment - stripBytes % kStripAlignment) % kStripAlignment;
}

// The largest frame the compressor can produce for a picture of this size.
constexpr uint32_t WorstFrameBytes(int width, int height) {
    const uint32_t blocks = uint32_t(width / 4) * uint32_t(height / 4);
    const uint32_t codebook = PartialCodebookBytes(kSlots, kSlots / kMaskGroup - 1);
    const uint32_t vectors = VectorChunkBytes(ChunkId::VectorsInter, 0, 0, blocks);
    return kFrameHeaderBytes + kStripHeaderBytes + 2 * codebook + vectors + kStripAlignment - 1;
}
static_assert(WorstFrameBytes(kMaxWidth, kMaxHeight) <= kMaxFrameBytes);

}  // namespace cinepak
