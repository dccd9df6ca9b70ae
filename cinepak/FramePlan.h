#pragma once
// What one frame says: its codebook chunks and how each block is coded. Made by the encoder,
// read by the writer and by the decoder model.
#include <array>
#include <bitset>
#include <cstdint>
#include <span>

#include "cinepak/CinepakColour.h"
#include "cinepak/CinepakFormat.h"

namespace cinepak {

// One codebook as a decoder holds it, with what the encoder derives from each entry.
struct Codebook {
    std::array<CodebookEntry, kSlots> entries{};
    std::array<EntryPixels, kSlots> pixels{};  // decoded
    std::array<VqVector, kSlots> vectors{};    // in the training space
    std::bitset<kSlots> defined;               // written since the last intra frame
    std::array<uint32_t, kSlots> lastUse{};    // encoder's count of the last frame a block used the entry

    void Set(int slot, const CodebookEntry& entry) {
        entries[slot] = entry;
        pixels[slot] = DecodeEntry(entry);
        vectors[slot] = VectorOfEntry(entry);
    }
};

struct BlockCode {
    BlockMode mode = BlockMode::Skip;
    std::array<uint8_t, 4> index{};  // V1: index[0]; V4: one per 2x2 area, in area order
};

enum class CodebookChunkKind : uint8_t { None, Full, Partial };

struct CodebookChunk {
    CodebookChunkKind kind = CodebookChunkKind::None;
    int fullEntries = 0;          // Full: entries 0 .. fullEntries-1
    std::bitset<kSlots> slots;    // Partial: the entries written
};

struct FramePlan {
    int width = 0;
    int height = 0;
    bool intra = false;
    ChunkId vectors = ChunkId::VectorsIntra;
    CodebookChunk v4Chunk;
    CodebookChunk v1Chunk;
    const Codebook* v4 = nullptr;
    const Codebook* v1 = nullptr;
    std::span<const BlockCode> blocks;  // in block order
};

}  // namespace cinepak
