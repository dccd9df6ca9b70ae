#pragma once
// Byte-exact writers of Cinepak frames. They make no decisions: everything they write comes
// from a FramePlan. A counting sink runs the same code to learn sizes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "cinepak/FramePlan.h"

namespace cinepak {

// Receives bytes; either stores them into a borrowed buffer or only counts them.
class ByteSink {
public:
    static ByteSink Counting() { return ByteSink(); }
    explicit ByteSink(std::span<uint8_t> out) : out_(out.data()), capacity_(out.size()) {}

    void Put8(uint32_t value);
    void Put16(uint32_t value);  // big-endian
    void Put32(uint32_t value);  // big-endian
    // Leaves room for a 32-bit value that Patch32 fills in later; returns its position.
    size_t Reserve32();
    void Patch32(size_t position, uint32_t value);
    size_t Size() const { return size_; }

private:
    ByteSink() = default;
    uint8_t* out_ = nullptr;  // none: counting only
    size_t capacity_ = 0;
    size_t size_ = 0;
};

// Bytes of a codebook chunk, header included; 0 for none.
uint32_t CodebookChunkBytes(const CodebookChunk& chunk);

// Writes the whole frame: frame header, one strip covering the picture, the V4 and V1 codebook
// chunks, one vectors chunk padded so that the strip size is a multiple of 4. Returns the
// frame's size in bytes, which is also its length field.
uint32_t WriteFrame(ByteSink& sink, const FramePlan& plan);

}  // namespace cinepak
