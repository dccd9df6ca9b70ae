#pragma once
// Writes Cinepak strip chunks by hand, for records that exercise what an encoder seldom
// writes: luma-only entries, selective codebook updates, inter and all-V1 vector chunks.
#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "tests/player/FrameRecord.h"

struct CodebookEntry {
    std::array<uint8_t, 4> y{};  // top-left, top-right, bottom-left, bottom-right
    int8_t u = 0;
    int8_t v = 0;
};

struct BlockCode {
    enum Kind { kSkip, kV1, kV4 } kind = kV1;
    std::array<uint8_t, 4> index{};  // kV1 uses index[0]; kV4 the quadrants in stream order
};

class StripBuilder {
public:
    // 0x20 / 0x22 (6-byte entries) or 0x24 / 0x26 (luma only, 4-byte entries): entries 0.. in order.
    void FullCodebook(uint8_t id, std::span<const CodebookEntry> entries);
    // 0x21 / 0x23 / 0x25 / 0x27: a 32-bit mask before every group of 32 entries, MSB first,
    // up to the last group holding an update.
    void PartialCodebook(uint8_t id, const std::map<int, CodebookEntry>& updates);
    // 0x30: one flag bit per block (1 = V4), a flag word before every 32 blocks.
    void IntraVectors(std::span<const BlockCode> blocks);
    // 0x31: a skip bit, then for coded blocks a V4 bit, words read only when a bit is needed.
    void InterVectors(std::span<const BlockCode> blocks);
    // 0x32: one V1 index per block.
    void AllV1Vectors(std::span<const BlockCode> blocks);

    // The record, its length padded to a multiple of 4 inside the last chunk.
    FrameRecord Finish(uint16_t stripId);

private:
    void Chunk(uint8_t id, const std::vector<uint8_t>& payload);
    static void PutEntry(std::vector<uint8_t>& out, const CodebookEntry& entry, bool lumaOnly);

    std::vector<uint8_t> chunks_;
    size_t lastChunk_ = 0;
};

// Appends the bytes of a block-by-block vector chunk with flag words placed where a
// decoder that reads them lazily expects them.
class FlagWordWriter {
public:
    explicit FlagWordWriter(std::vector<uint8_t>& out) : out_(out) {}
    void PutBit(bool bit);

private:
    std::vector<uint8_t>& out_;
    size_t word_ = 0;
    int bitsLeft_ = 0;
};

// Pads a record's chunks to a multiple of 4 bytes with its 4-byte header, by growing the
// chunk at `lastChunk`: decoders step over bytes after a chunk's payload.
void PadRecord(std::vector<uint8_t>& chunks, size_t lastChunk);
