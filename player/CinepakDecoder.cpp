#include "player/CinepakDecoder.h"

#include "player/ByteOrder.h"
#include "player/CinepakCodebooks.h"
#include "player/CinepakVectors.h"
#include "video/MovieStreamLayout.h"

namespace {

Codebooks gCodebooks;  // internal work RAM, next to the code that reads it

inline constexpr uint32_t kChunkHeaderBytes = 4;

}  // namespace

void ResetCodebooks() {
    gCodebooks = {};
}

void DecodeFrameRecord(const uint8_t* record, const BlockGrid& grid) {
    const uint8_t* chunk = record + movie_stream::kRecordHeaderBytes;
    const uint8_t* const end = record + ReadLe16(record);
    while (end - chunk >= static_cast<int>(kChunkHeaderBytes)) {
        const uint32_t id = ReadBe16(chunk);
        const uint32_t size = ReadBe16(chunk + 2);
        if (size < kChunkHeaderBytes) {
            return;
        }
        const uint8_t* const data = chunk + kChunkHeaderBytes;
        const uint8_t* const chunkEnd = static_cast<uint32_t>(end - chunk) < size ? end : chunk + size;
        const uint32_t type = id >> 8;
        if ((id & 0xFF) == 0 && type >= 0x20 && type <= 0x27) {
            LoadCodebook(type, data, chunkEnd, gCodebooks);
        } else if ((id & 0xFF) == 0 && type >= 0x30 && type <= 0x32) {
            ExpandVectors(type, data, chunkEnd, gCodebooks, grid);
            return;
        }
        chunk = chunkEnd;
    }
}
