#include "source/AviProbe.h"

#include <array>

#include "source/internal/RiffReader.h"

namespace {

// Main AVI header ("avih") and stream header ("strh") both hold exactly 56 bytes.
constexpr uint32_t kHeaderBytes = 56;
constexpr size_t kStreamCountOffset = 24;  // avih: dwStreams
constexpr size_t kStreamTypeOffset = 0;    // strh: fccType
constexpr size_t kScaleOffset = 20;        // strh: dwScale
constexpr size_t kRateOffset = 24;         // strh: dwRate

using Header = std::array<uint8_t, kHeaderBytes>;

// Finds the chunk `id` inside `parent` and reads its 56 bytes; false for any other size.
bool ReadHeaderChunk(RiffReader& reader, const RiffChunk& parent, uint32_t id, RiffChunk& chunk, Header& header) {
    return reader.Descend(chunk, &parent, id) && chunk.size == kHeaderBytes && reader.Read(header) == kHeaderBytes;
}

}  // namespace

bool ProbeAviFrameRate(const std::string& path, uint32_t& rate, uint32_t& scale) {
    RiffReader reader;
    RiffChunk riff, headers, mainHeader;
    Header header{};
    if (!reader.Open(path) || !reader.Descend(riff, nullptr, RiffFourCC("RIFF"), RiffFourCC("AVI ")) ||
        !reader.Descend(headers, &riff, RiffFourCC("LIST"), RiffFourCC("hdrl")) ||
        !ReadHeaderChunk(reader, headers, RiffFourCC("avih"), mainHeader, header))
        return false;
    const uint32_t streamCount = ReadLe32(&header[kStreamCountOffset]);
    for (uint32_t stream = 0; stream < streamCount; ++stream) {
        RiffChunk streamList, streamHeader;
        if (!reader.Descend(streamList, &headers, RiffFourCC("LIST"), RiffFourCC("strl")) ||
            !ReadHeaderChunk(reader, streamList, RiffFourCC("strh"), streamHeader, header))
            return false;
        if (ReadLe32(&header[kStreamTypeOffset]) == RiffFourCC("vids")) {
            rate = ReadLe32(&header[kRateOffset]);
            scale = ReadLe32(&header[kScaleOffset]);
            return true;
        }
        reader.Ascend(streamHeader);
        reader.Ascend(streamList);
    }
    return false;
}
