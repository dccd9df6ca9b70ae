#include "player/CinepakVectors.h"

#include "player/ByteOrder.h"

namespace {

inline void PutV1(uint32_t* p, const uint32_t* entry) {
    const uint32_t topLeft = entry[0];
    const uint32_t topRight = entry[1];
    const uint32_t bottomLeft = entry[2];
    const uint32_t bottomRight = entry[3];
    p[0] = topLeft;
    p[1] = topRight;
    p[kLineWords] = topLeft;
    p[kLineWords + 1] = topRight;
    p[2 * kLineWords] = bottomLeft;
    p[2 * kLineWords + 1] = bottomRight;
    p[3 * kLineWords] = bottomLeft;
    p[3 * kLineWords + 1] = bottomRight;
}

// The four index bytes pick the top-left, top-right, bottom-left and bottom-right quarters.
inline void PutV4(uint32_t* p, const Codebooks& books, const uint8_t* indices) {
    const uint32_t* a = books.v4[indices[0]];
    const uint32_t* b = books.v4[indices[1]];
    const uint32_t* c = books.v4[indices[2]];
    const uint32_t* d = books.v4[indices[3]];
    p[0] = a[0];
    p[1] = b[0];
    p[kLineWords] = a[1];
    p[kLineWords + 1] = b[1];
    p[2 * kLineWords] = c[0];
    p[2 * kLineWords + 1] = d[0];
    p[3 * kLineWords] = c[1];
    p[3 * kLineWords + 1] = d[1];
}

// Flag bits, most significant first, from 32-bit big-endian words read only when a bit is
// needed and the previous word is used up.
class FlagReader {
public:
    FlagReader(const uint8_t*& data, const uint8_t* end) : _data(data), _end(end) {}

    // False when the chunk holds no further word.
    bool Next(bool& bit) {
        if (_left == 0) {
            if (_end - _data < 4) {
                return false;
            }
            _word = ReadBe32(_data);
            _data += 4;
            _left = 32;
        }
        --_left;
        bit = _word >> 31;
        _word <<= 1;
        return true;
    }

private:
    const uint8_t*& _data;
    const uint8_t* _end;
    uint32_t _word = 0;
    uint32_t _left = 0;
};

// Calls drawBlock(p) for the first word of each block in drawing order until it returns false.
template <typename DrawBlock>
inline void ForEachBlock(const BlockGrid& grid, DrawBlock drawBlock) {
    uint32_t* line = grid.origin;
    for (uint32_t y = 0; y < grid.blocksHigh; ++y, line += 4 * kLineWords) {
        uint32_t* p = line;
        for (uint32_t x = 0; x < grid.blocksWide; ++x, p += 2) {
            if (!drawBlock(p)) {
                return;
            }
        }
    }
}

// Draws a V4 block (4 index bytes) or a V1 block (1 byte) from the data.
inline bool DrawCoded(bool v4, uint32_t* p, const uint8_t*& data, const uint8_t* end, const Codebooks& books) {
    if (v4) {
        if (end - data < 4) {
            return false;
        }
        PutV4(p, books, data);
        data += 4;
    } else {
        if (data >= end) {
            return false;
        }
        PutV1(p, books.v1[*data++]);
    }
    return true;
}

void ExpandIntra(const uint8_t* data, const uint8_t* end, const Codebooks& books, const BlockGrid& grid) {
    FlagReader flags(data, end);
    ForEachBlock(grid, [&](uint32_t* p) {
        bool v4;
        return flags.Next(v4) && DrawCoded(v4, p, data, end, books);
    });
}

// A skipped block takes one flag bit; a coded one takes a second bit, V4 or V1, which may
// start the next flag word.
void ExpandInter(const uint8_t* data, const uint8_t* end, const Codebooks& books, const BlockGrid& grid) {
    FlagReader flags(data, end);
    ForEachBlock(grid, [&](uint32_t* p) {
        bool coded;
        if (!flags.Next(coded)) {
            return false;
        }
        bool v4;
        return !coded || (flags.Next(v4) && DrawCoded(v4, p, data, end, books));
    });
}

void ExpandV1Only(const uint8_t* data, const uint8_t* end, const Codebooks& books, const BlockGrid& grid) {
    ForEachBlock(grid, [&](uint32_t* p) { return DrawCoded(false, p, data, end, books); });
}

}  // namespace

void ExpandVectors(uint32_t chunkType, const uint8_t* data, const uint8_t* end, const Codebooks& books,
                   const BlockGrid& grid) {
    switch (chunkType) {
    case 0x30: ExpandIntra(data, end, books, grid); break;
    case 0x31: ExpandInter(data, end, books, grid); break;
    default: ExpandV1Only(data, end, books, grid); break;
    }
}
