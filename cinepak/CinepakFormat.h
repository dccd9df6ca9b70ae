#pragma once
// The byte counts of each part of the Cinepak frames the compressor writes, and its limits.
// The bitstream's own sizes and ids are format/Cinepak.h's, shared with the player.
#include <cstdint>

#include "format/Cinepak.h"
#include "format/Handheld.h"
#include "format/MovieStream.h"

namespace cinepak {

inline constexpr int kMinSide = 4;
inline constexpr int kMaxWidth = int(handheld::kScreenWidth);
inline constexpr int kMaxHeight = int(handheld::kScreenHeight);
// Strips are padded to this; a record, 8 bytes shorter than its strip, is aligned then too.
inline constexpr uint32_t kStripAlignment = movie_stream::kRecordAlignment;

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
static_assert(WorstFrameBytes(kMaxWidth, kMaxHeight) <= movie_stream::kMaxFrameBytes);

// The smallest frame the compressor can produce for a picture of this size: an inter frame that
// skips every block. No budget below it can be kept.
constexpr uint32_t SmallestFrameBytes(int width, int height) {
    const uint32_t blocks = uint32_t(width / 4) * uint32_t(height / 4);
    const uint32_t vectors = VectorChunkBytes(ChunkId::VectorsInter, blocks, 0, 0);
    return kFrameHeaderBytes + kStripHeaderBytes + vectors + StripPadding(kStripHeaderBytes + vectors);
}

}  // namespace cinepak
