#include "player/CinepakCodebooks.h"

#include "player/ByteOrder.h"

namespace {

// clamp(x, 0, 255) >> 3 for x = -256 .. 511, the range of y + 2v, y - u/2 - v and y + 2u.
inline constexpr int kClampBias = 256;
struct ClampTable {
    uint8_t to5[768];
};

constexpr ClampTable MakeClampTable() {
    ClampTable table{};
    for (int i = 0; i < 768; ++i) {
        const int value = i - kClampBias;
        table.to5[i] = static_cast<uint8_t>((value < 0 ? 0 : (value > 255 ? 255 : value)) >> 3);
    }
    return table;
}

// Not const, so that it lands in internal work RAM with the code that reads it.
constinit ClampTable gClamp = MakeClampTable();

struct EntryPixels {
    uint32_t p0, p1, p2, p3;  // top-left, top-right, bottom-left, bottom-right
};

// Inlined into the loops below: a call returned the pixels through the stack, a third of an
// entry's cost.
template <bool kLumaOnly>
[[gnu::always_inline]] inline EntryPixels ReadEntry(const uint8_t* entry) {
    int u = 0;
    int v = 0;
    if constexpr (!kLumaOnly) {
        u = static_cast<int8_t>(entry[4]);
        v = static_cast<int8_t>(entry[5]);
    }
    const uint8_t* base = gClamp.to5 + kClampBias;
    const uint8_t* red = base + 2 * v;
    const uint8_t* green = base - u / 2 - v;  // u / 2 truncates toward zero, as FFmpeg's does
    const uint8_t* blue = base + 2 * u;
    auto pixel = [&](uint32_t y) -> uint32_t { return red[y] | green[y] << 5 | blue[y] << 10; };
    return {pixel(entry[0]), pixel(entry[1]), pixel(entry[2]), pixel(entry[3])};
}

template <bool kV1>
[[gnu::always_inline]] inline void Store(Codebooks& books, uint32_t index, EntryPixels e) {
    if constexpr (kV1) {
        uint32_t* out = books.v1[index];
        out[0] = e.p0 * 0x10001;
        out[1] = e.p1 * 0x10001;
        out[2] = e.p2 * 0x10001;
        out[3] = e.p3 * 0x10001;
    } else {
        uint32_t* out = books.v4[index];
        out[0] = e.p0 | e.p1 << 16;
        out[1] = e.p2 | e.p3 << 16;
    }
}

// A full chunk replaces entries 0, 1, 2, ... while whole entries remain. A selective chunk
// has a 32-bit mask (most significant bit first) ahead of every 32 entries and holds only the
// entries whose bit is set. One loop for both keeps the hot code small.
template <bool kV1, bool kLumaOnly>
void Load(bool selective, const uint8_t* data, const uint8_t* end, Codebooks& books) {
    constexpr int kEntryBytes = kLumaOnly ? cinepak::kLumaEntryBytes : cinepak::kEntryBytes;
    constexpr int kMaskBytes = cinepak::kWordBytes;
    uint32_t mask = 0;
    for (uint32_t index = 0; index < cinepak::kSlots; ++index, mask <<= 1) {
        if (index % cinepak::kMaskGroup == 0 && !selective) {
            mask = 0xFFFFFFFF;
        } else if (index % cinepak::kMaskGroup == 0) {
            if (end - data < kMaskBytes) {
                return;
            }
            mask = ReadBe32(data);
            data += kMaskBytes;
        }
        if (mask & 0x80000000u) {
            if (end - data < kEntryBytes) {
                return;
            }
            Store<kV1>(books, index, ReadEntry<kLumaOnly>(data));
            data += kEntryBytes;
        }
    }
}

}  // namespace

void LoadCodebook(uint32_t chunkType, const uint8_t* data, const uint8_t* end, Codebooks& books) {
    using cinepak::kLumaOnlyBit, cinepak::kV1Bit;
    const bool selective = chunkType & cinepak::kPartialBit;
    switch (chunkType & (kV1Bit | kLumaOnlyBit)) {
    case 0: Load<false, false>(selective, data, end, books); break;
    case kV1Bit: Load<true, false>(selective, data, end, books); break;
    case kLumaOnlyBit: Load<false, true>(selective, data, end, books); break;
    default: Load<true, true>(selective, data, end, books); break;
    }
}
