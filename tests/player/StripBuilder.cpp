#include "tests/player/StripBuilder.h"

namespace {

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(uint8_t(value >> (8 * i)));
}

uint32_t ChunkSize(const std::vector<uint8_t>& chunks, size_t at) {
    return uint32_t(chunks[at + 1]) << 16 | uint32_t(chunks[at + 2]) << 8 | chunks[at + 3];
}

}  // namespace

void FlagWordWriter::PutBit(bool bit) {
    if (bitsLeft_ == 0) {
        word_ = out_.size();
        out_.resize(out_.size() + 4, 0);
        bitsLeft_ = 32;
    }
    --bitsLeft_;
    if (bit) out_[word_ + 3 - bitsLeft_ / 8] |= uint8_t(1u << (bitsLeft_ % 8));
}

void PadRecord(std::vector<uint8_t>& chunks, size_t lastChunk) {
    const size_t pad = (4 - chunks.size() % 4) % 4;
    const uint32_t size = ChunkSize(chunks, lastChunk) + uint32_t(pad);
    chunks.resize(chunks.size() + pad, 0);
    chunks[lastChunk + 1] = uint8_t(size >> 16);
    chunks[lastChunk + 2] = uint8_t(size >> 8);
    chunks[lastChunk + 3] = uint8_t(size);
}

void StripBuilder::Chunk(uint8_t id, const std::vector<uint8_t>& payload) {
    lastChunk_ = chunks_.size();
    chunks_.push_back(id);
    PutBigEndian(chunks_, uint32_t(payload.size() + 4), 3);
    chunks_.insert(chunks_.end(), payload.begin(), payload.end());
}

void StripBuilder::PutEntry(std::vector<uint8_t>& out, const CodebookEntry& entry, bool lumaOnly) {
    out.insert(out.end(), entry.y.begin(), entry.y.end());
    if (lumaOnly) return;
    out.push_back(uint8_t(entry.u));
    out.push_back(uint8_t(entry.v));
}

void StripBuilder::FullCodebook(uint8_t id, std::span<const CodebookEntry> entries) {
    std::vector<uint8_t> payload;
    for (const CodebookEntry& entry : entries) PutEntry(payload, entry, id & 0x04);
    Chunk(id, payload);
}

void StripBuilder::PartialCodebook(uint8_t id, const std::map<int, CodebookEntry>& updates) {
    std::vector<uint8_t> payload;
    const int groups = updates.empty() ? 0 : updates.rbegin()->first / 32 + 1;
    for (int group = 0; group < groups; ++group) {
        uint32_t mask = 0;
        for (int bit = 0; bit < 32; ++bit)
            if (updates.count(group * 32 + bit)) mask |= 0x80000000u >> bit;
        PutBigEndian(payload, mask, 4);
        for (int bit = 0; bit < 32; ++bit)
            if (auto it = updates.find(group * 32 + bit); it != updates.end()) PutEntry(payload, it->second, id & 0x04);
    }
    Chunk(id, payload);
}

void StripBuilder::IntraVectors(std::span<const BlockCode> blocks) {
    std::vector<uint8_t> payload;
    for (size_t first = 0; first < blocks.size(); first += 32) {
        FlagWordWriter flags(payload);
        const size_t end = std::min(blocks.size(), first + 32);
        for (size_t i = first; i < end; ++i) flags.PutBit(blocks[i].kind == BlockCode::kV4);
        for (size_t i = first; i < end; ++i)
            payload.insert(payload.end(), blocks[i].index.begin(),
                           blocks[i].index.begin() + (blocks[i].kind == BlockCode::kV4 ? 4 : 1));
    }
    Chunk(0x30, payload);
}

void StripBuilder::InterVectors(std::span<const BlockCode> blocks) {
    std::vector<uint8_t> payload;
    FlagWordWriter flags(payload);
    for (const BlockCode& block : blocks) {
        flags.PutBit(block.kind != BlockCode::kSkip);
        if (block.kind == BlockCode::kSkip) continue;
        flags.PutBit(block.kind == BlockCode::kV4);
        payload.insert(payload.end(), block.index.begin(), block.index.begin() + (block.kind == BlockCode::kV4 ? 4 : 1));
    }
    Chunk(0x31, payload);
}

void StripBuilder::AllV1Vectors(std::span<const BlockCode> blocks) {
    std::vector<uint8_t> payload;
    for (const BlockCode& block : blocks) payload.push_back(block.index[0]);
    Chunk(0x32, payload);
}

FrameRecord StripBuilder::Finish(uint16_t stripId) {
    PadRecord(chunks_, lastChunk_);
    return {stripId, std::move(chunks_)};
}
