#pragma once
// A small reader of RIFF files: searches, enters and leaves chunks, and reads chunk data.
// Every search moves forward by at least one chunk header and stops at the end of the
// enclosing chunk or of the file, so damaged sizes end a search instead of looping or
// reading outside the file.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

#include "platform/VideoCompressor.h"

constexpr uint32_t RiffFourCC(const char (&code)[5]) { return MakeFourCC(code[0], code[1], code[2], code[3]); }

// The little-endian 32-bit number at `bytes`.
inline uint32_t ReadLe32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// A chunk as found by a search: where its data lies in the file.
struct RiffChunk {
    uint32_t id = 0;
    uint32_t size = 0;        // data bytes, as the header states them
    uint32_t type = 0;        // form or list type of a "RIFF" or "LIST" chunk
    uint64_t dataOffset = 0;  // file offset of the data (the form or list type comes first)
    // File offset just past the data and its fill byte (data is padded to an even length).
    uint64_t End() const { return dataOffset + size + (size & 1); }
};

class RiffReader {
public:
    // Opens the file for reading at its start; false when it cannot be opened or is no regular file.
    [[nodiscard]] bool Open(const std::string& path);
    // Searches the chunks of `parent` (the whole file when null), from the current position,
    // for one with identifier `id`; a "RIFF" or "LIST" chunk must also be of `type`. Enters it:
    // the position becomes the start of its data (after the type of a "RIFF" or "LIST").
    [[nodiscard]] bool Descend(RiffChunk& chunk, const RiffChunk* parent, uint32_t id, uint32_t type = 0);
    // Leaves the chunk: the position moves past its end and fill byte.
    void Ascend(const RiffChunk& chunk);
    // Reads up to buffer.size() bytes at the position and moves past them; answers the count read.
    size_t Read(std::span<uint8_t> buffer);

private:
    bool ReadAt(uint64_t offset, std::span<uint8_t> buffer);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file;
    uint64_t fileSize = 0;
    uint64_t position = 0;
};
