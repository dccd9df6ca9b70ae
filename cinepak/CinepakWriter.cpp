#include "cinepak/CinepakWriter.h"

#include <cassert>

namespace cinepak {

void ByteSink::Put8(uint32_t value) {
    // A buffer too small is a caller's fault; the bytes beyond it are dropped, never stored.
    assert(!out_ || size_ < capacity_);
    if (out_ && size_ < capacity_) out_[size_] = uint8_t(value);
    ++size_;
}

void ByteSink::Put16(uint32_t value) {
    Put8(value >> 8);
    Put8(value);
}

void ByteSink::Put32(uint32_t value) {
    Put16(value >> 16);
    Put16(value);
}

size_t ByteSink::Reserve32() {
    const size_t position = size_;
    Put32(0);
    return position;
}

void ByteSink::Patch32(size_t position, uint32_t value) {
    assert(position + 4 <= size_);
    for (size_t i = 0; i < 4; ++i)
        if (out_ && position + i < capacity_) out_[position + i] = uint8_t(value >> (24 - 8 * i));
}

namespace {

// Flag bits packed into 32-bit words, most significant bit first. A word takes its place in
// the stream when its first bit is needed, so that the index bytes of a block follow the word
// holding the block's last flag bit, as decoders read them.
class FlagWriter {
public:
    explicit FlagWriter(ByteSink& sink) : sink_(sink) {}
    ~FlagWriter() { Flush(); }
    FlagWriter(const FlagWriter&) = delete;
    FlagWriter& operator=(const FlagWriter&) = delete;

    void Put(bool bit) {
        if (bitsLeft_ == 0) {
            Flush();
            position_ = sink_.Reserve32();
            bitsLeft_ = 32;
            pending_ = true;
        }
        --bitsLeft_;
        if (bit) word_ |= 1u << bitsLeft_;
    }

private:
    void Flush() {
        if (pending_) sink_.Patch32(position_, word_);
        word_ = 0;
        pending_ = false;
    }

    ByteSink& sink_;
    size_t position_ = 0;
    uint32_t word_ = 0;
    int bitsLeft_ = 0;
    bool pending_ = false;
};

void PutChunkHeader(ByteSink& sink, ChunkId id, uint32_t bytes) {
    assert(bytes <= 0xFFFF);
    sink.Put16(uint32_t(id) << 8);
    sink.Put16(bytes);
}

void PutEntry(ByteSink& sink, const CodebookEntry& entry) {
    for (uint8_t y : entry.y) sink.Put8(y);
    sink.Put8(uint8_t(entry.u));
    sink.Put8(uint8_t(entry.v));
}

void WriteCodebookChunk(ByteSink& sink, const CodebookChunk& chunk, const Codebook& book, bool v1) {
    const uint32_t bytes = CodebookChunkBytes(chunk);
    if (bytes == 0) return;
    if (chunk.kind == CodebookChunkKind::Full) {
        PutChunkHeader(sink, v1 ? ChunkId::V1Full : ChunkId::V4Full, bytes);
        for (int slot = 0; slot < chunk.fullEntries; ++slot) PutEntry(sink, book.entries[slot]);
        return;
    }
    PutChunkHeader(sink, v1 ? ChunkId::V1Partial : ChunkId::V4Partial, bytes);
    int last = kSlots - 1;
    while (!chunk.slots[last]) --last;
    for (int group = 0; group <= last / kMaskGroup; ++group) {
        uint32_t mask = 0;
        for (int i = 0; i < kMaskGroup; ++i)
            if (chunk.slots[group * kMaskGroup + i]) mask |= 0x80000000u >> i;
        sink.Put32(mask);
        for (int i = 0; i < kMaskGroup; ++i)
            if (chunk.slots[group * kMaskGroup + i]) PutEntry(sink, book.entries[group * kMaskGroup + i]);
    }
}

void WriteVectors(ByteSink& sink, ChunkId kind, std::span<const BlockCode> blocks) {
    FlagWriter flags(sink);
    for (const BlockCode& block : blocks) {
        if (kind == ChunkId::VectorsInter) {
            flags.Put(block.mode != BlockMode::Skip);
            if (block.mode == BlockMode::Skip) continue;
        }
        if (kind != ChunkId::VectorsV1) flags.Put(block.mode == BlockMode::V4);
        assert(block.mode != BlockMode::Skip && (kind != ChunkId::VectorsV1 || block.mode == BlockMode::V1));
        const int indices = block.mode == BlockMode::V4 ? 4 : 1;
        for (int i = 0; i < indices; ++i) sink.Put8(block.index[i]);
    }
}

}  // namespace

uint32_t CodebookChunkBytes(const CodebookChunk& chunk) {
    switch (chunk.kind) {
    case CodebookChunkKind::Full: return FullCodebookBytes(uint32_t(chunk.fullEntries));
    case CodebookChunkKind::Partial: {
        if (chunk.slots.none()) return 0;
        int last = kSlots - 1;
        while (!chunk.slots[last]) --last;
        return PartialCodebookBytes(uint32_t(chunk.slots.count()), uint32_t(last / kMaskGroup));
    }
    default: return 0;
    }
}

uint32_t WriteFrame(ByteSink& sink, const FramePlan& plan) {
    ByteSink counter = ByteSink::Counting();
    WriteVectors(counter, plan.vectors, plan.blocks);
    const uint32_t vectorBytes = kChunkHeaderBytes + uint32_t(counter.Size());
    const uint32_t unpadded = kStripHeaderBytes + CodebookChunkBytes(plan.v4Chunk) + CodebookChunkBytes(plan.v1Chunk) +
                              vectorBytes;
    const uint32_t padding = StripPadding(unpadded);
    const uint32_t stripBytes = unpadded + padding;
    const uint32_t frameBytes = kFrameHeaderBytes + stripBytes;
    assert(frameBytes <= movie_stream::kMaxFrameBytes);

    [[maybe_unused]] const size_t start = sink.Size();
    // Frame header. The flags byte says whether a strip keeps its own codebooks; with one strip
    // it does not matter, and FFmpeg's encoder writes 0 for key frames and 1 otherwise.
    sink.Put8(plan.intra ? 0 : 1);
    sink.Put8(frameBytes >> 16);
    sink.Put16(frameBytes & 0xFFFF);
    sink.Put16(uint32_t(plan.width));
    sink.Put16(uint32_t(plan.height));
    sink.Put16(1);
    // Strip header: absolute coordinates top 0, left 0, bottom height, right width.
    sink.Put16(plan.intra ? kIntraStripId : kInterStripId);
    sink.Put16(stripBytes);
    sink.Put16(0);
    sink.Put16(0);
    sink.Put16(uint32_t(plan.height));
    sink.Put16(uint32_t(plan.width));
    WriteCodebookChunk(sink, plan.v4Chunk, *plan.v4, false);
    WriteCodebookChunk(sink, plan.v1Chunk, *plan.v1, true);
    PutChunkHeader(sink, plan.vectors, vectorBytes + padding);
    WriteVectors(sink, plan.vectors, plan.blocks);
    for (uint32_t i = 0; i < padding; ++i) sink.Put8(0);
    assert(sink.Size() - start == frameBytes);
    return frameBytes;
}

}  // namespace cinepak
