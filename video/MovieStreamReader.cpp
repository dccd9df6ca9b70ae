#include "video/MovieStreamReader.h"

#include <fmt/format.h>

#include "format/Adpcm.h"
#include "format/Cinepak.h"
#include "format/MovieStream.h"

namespace {

uint16_t LoadU16(std::span<const uint8_t> s, size_t at) {
    return uint16_t(s[at] | s[at + 1] << 8);
}

uint32_t LoadU32(std::span<const uint8_t> s, size_t at) {
    return uint32_t(LoadU16(s, at)) | uint32_t(LoadU16(s, at + 2)) << 16;
}

uint32_t LoadBigEndian(std::span<const uint8_t> s, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | s[at + i];
    return value;
}

// The record's strip data must be Cinepak chunks that tile it exactly and end with one
// vectors chunk, because the player stops at the first vectors chunk.
std::string CheckStripChunks(std::span<const uint8_t> data) {
    size_t at = 0;
    bool sawVectors = false;
    while (at < data.size()) {
        if (sawVectors) return fmt::format("chunk after the vectors chunk at +{}", at);
        if (data.size() - at < cinepak::kChunkHeaderBytes)
            return fmt::format("{} stray bytes at +{}", data.size() - at, at);
        const uint32_t id = data[at];
        const uint32_t size = LoadBigEndian(data, at + 1, 3);
        if (size < cinepak::kChunkHeaderBytes || size > data.size() - at)
            return fmt::format("chunk 0x{:02X} at +{} has size {} with {} bytes left", id, at, size, data.size() - at);
        if (!cinepak::IsCodebookChunk(id) && !cinepak::IsVectorsChunk(id))
            return fmt::format("unknown chunk 0x{:02X} at +{}", id, at);
        sawVectors = cinepak::IsVectorsChunk(id);
        at += size;
    }
    return sawVectors ? std::string() : std::string("no vectors chunk");
}

std::string CheckHeader(const MovieStreamInfo& info) {
    using namespace movie_stream;
    if (info.width < 4 || info.width > kMaxWidth || info.width % 4 != 0)
        return fmt::format("width {} is not a multiple of 4 in 4..{}", info.width, kMaxWidth);
    if (info.height < 4 || info.height > kMaxHeight || info.height % 4 != 0)
        return fmt::format("height {} is not a multiple of 4 in 4..{}", info.height, kMaxHeight);
    if (info.frameStep == 0) return "frame step 0";
    return {};
}

std::string WalkRecords(std::span<const uint8_t> s, MovieStreamInfo& info, size_t& at) {
    using namespace movie_stream;
    for (uint32_t i = 0; i < info.frameCount; ++i) {
        if (s.size() - at < kRecordHeaderBytes)
            return fmt::format("record {} of {} at offset {} runs past the end ({} bytes left)", i, info.frameCount, at,
                               s.size() - at);
        MovieStreamRecord record{at, LoadU16(s, at), LoadU16(s, at + 2)};
        if (record.length < kRecordHeaderBytes || record.length > s.size() - at)
            return fmt::format("record {} at offset {} has length {} with {} bytes left", i, at, record.length,
                               s.size() - at);
        if (record.length % kRecordAlignment != 0)
            return fmt::format("record {} at offset {} has length {}, not a multiple of {}", i, at, record.length,
                               kRecordAlignment);
        if (record.stripId != cinepak::kIntraStripId && record.stripId != cinepak::kInterStripId)
            return fmt::format("record {} at offset {} has strip id 0x{:04X}", i, at, record.stripId);
        const std::string chunks = CheckStripChunks(s.subspan(at + kRecordHeaderBytes, record.length - kRecordHeaderBytes));
        if (!chunks.empty()) return fmt::format("record {} at offset {}: {}", i, at, chunks);
        info.records.push_back(record);
        at += record.length;
    }
    return {};
}

std::string CheckAudioBlock(std::span<const uint8_t> s, MovieStreamInfo& info, size_t at) {
    using namespace movie_stream;
    if (s.size() - at < kAudioCountBytes)
        return fmt::format("the audio block count at offset {} is cut short ({} bytes left)", at, s.size() - at);
    info.hasAudioBlock = true;
    info.audioBlockCount = LoadU32(s, at);
    info.audioDataOffset = at + kAudioCountBytes;
    const uint64_t expected = uint64_t(info.audioBlockCount) * kAdpcmBlockBytes;
    const uint64_t present = s.size() - info.audioDataOffset;
    if (present < expected)
        return fmt::format("the audio block holds {} bytes of the {} its {} blocks need", present, expected,
                           info.audioBlockCount);
    if (present > expected)
        return fmt::format("{} bytes follow the audio block (frame count {} disagrees with the records?)",
                           present - expected, info.frameCount);
    return {};
}

std::string Walk(std::span<const uint8_t> s, MovieStreamInfo& info) {
    using namespace movie_stream;
    if (s.size() < kHeaderBytes) return fmt::format("stream of {} bytes is shorter than its 12-byte header", s.size());
    info.frameCount = LoadU32(s, kFrameCountOffset);
    info.frameStep = LoadU32(s, kFrameStepOffset);
    info.width = LoadU16(s, kSizeOffset);
    info.height = LoadU16(s, kSizeOffset + 2);
    if (std::string error = CheckHeader(info); !error.empty()) return error;
    size_t at = kHeaderBytes;
    if (info.frameCount == 0) {
        // Header only: a run that encoded no frame. Anything more is records left uncounted.
        if (s.size() != kHeaderBytes)
            return fmt::format("frame count 0 but {} bytes follow the header", s.size() - kHeaderBytes);
        return {};
    }
    if (std::string error = WalkRecords(s, info, at); !error.empty()) return error;
    return CheckAudioBlock(s, info, at);
}

}  // namespace

MovieStreamCheck ReadMovieStream(std::span<const uint8_t> bytes, size_t streamOffset) {
    MovieStreamCheck check;
    if (streamOffset > bytes.size()) {
        check.error = fmt::format("stream offset {} lies beyond the {} bytes of the file", streamOffset, bytes.size());
        return check;
    }
    const std::span<const uint8_t> stream = bytes.subspan(streamOffset);
    check.info.streamBytes = stream.size();
    check.error = Walk(stream, check.info);
    check.ok = check.error.empty();
    return check;
}
