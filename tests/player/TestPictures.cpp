#include "tests/player/TestPictures.h"

#include <map>
#include <random>

#include "tests/player/StripBuilder.h"

namespace {

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    uint32_t Below(uint32_t limit) { return uint32_t(engine_() % limit); }
    uint8_t Byte() { return uint8_t(engine_()); }

    // Luma and chroma drawn so that about a quarter of the values sit at the extremes, where
    // R = Y + 2V and B = Y + 2U leave 0..255 and must be clamped.
    CodebookEntry Entry() {
        CodebookEntry entry;
        for (uint8_t& y : entry.y) y = Extreme() ? uint8_t(Below(2) * 255) : Byte();
        entry.u = Extreme() ? int8_t(Below(2) ? 127 : -128) : int8_t(Byte());
        entry.v = Extreme() ? int8_t(Below(2) ? 127 : -128) : int8_t(Byte());
        return entry;
    }

    BlockCode Block(bool maySkip, bool mayV4) {
        BlockCode block;
        const uint32_t pick = Below(maySkip ? 3 : 2);
        block.kind = pick == 2 ? BlockCode::kSkip : (pick == 1 && mayV4 ? BlockCode::kV4 : BlockCode::kV1);
        for (uint8_t& index : block.index) index = Byte();
        return block;
    }

private:
    bool Extreme() { return Below(4) == 0; }
    std::mt19937 engine_;
};

std::vector<CodebookEntry> Entries(Random& random, int count) {
    std::vector<CodebookEntry> entries(static_cast<size_t>(count));
    for (CodebookEntry& entry : entries) entry = random.Entry();
    return entries;
}

std::map<int, CodebookEntry> Updates(Random& random) {
    std::map<int, CodebookEntry> updates;
    for (int index = 0; index < 256; ++index)
        if (random.Below(3) == 0) updates[index] = random.Entry();
    return updates;
}

std::vector<BlockCode> Blocks(Random& random, int width, int height, bool maySkip, bool mayV4) {
    std::vector<BlockCode> blocks(size_t(width / 4) * size_t(height / 4));
    for (BlockCode& block : blocks) block = random.Block(maySkip, mayV4);
    return blocks;
}

}  // namespace

std::vector<uint8_t> MovingPicture(int width, int height, int index) {
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    const int side = std::max(4, std::min(width, height) / 3);
    const int left = (index * 6) % std::max(1, width - side + 1);
    const int top = (index * 3) % std::max(1, height - side + 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = &rgb[(size_t(y) * width + x) * 3];
            const bool inSquare = x >= left && x < left + side && y >= top && y < top + side;
            pixel[0] = inSquare ? 250 : uint8_t(x * 255 / std::max(1, width - 1));
            pixel[1] = inSquare ? 230 : uint8_t(y * 255 / std::max(1, height - 1));
            pixel[2] = inSquare ? 40 : uint8_t((x + y) * 2);
        }
    }
    return rgb;
}

std::vector<uint8_t> NoisePicture(int width, int height, uint32_t seed) {
    Random random(seed);
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (uint8_t& byte : rgb) byte = random.Byte();
    return rgb;
}

std::vector<FrameRecord> MakeHandMadeRecords(int width, int height, uint32_t seed) {
    Random random(seed);
    std::vector<FrameRecord> records;
    {
        StripBuilder strip;
        strip.FullCodebook(0x20, Entries(random, 256));
        strip.FullCodebook(0x26, Entries(random, 256));
        strip.IntraVectors(Blocks(random, width, height, false, true));
        records.push_back(strip.Finish(0x1000));
    }
    {
        StripBuilder strip;
        strip.PartialCodebook(0x21, Updates(random));
        strip.PartialCodebook(0x27, Updates(random));
        strip.InterVectors(Blocks(random, width, height, true, true));
        records.push_back(strip.Finish(0x1100));
    }
    {
        StripBuilder strip;
        strip.PartialCodebook(0x25, Updates(random));
        strip.PartialCodebook(0x23, Updates(random));
        strip.InterVectors(Blocks(random, width, height, true, true));
        records.push_back(strip.Finish(0x1100));
    }
    {
        // Entries 100..255 of the V1 book keep what the records before gave them.
        StripBuilder strip;
        strip.FullCodebook(0x22, Entries(random, 100));
        strip.AllV1Vectors(Blocks(random, width, height, false, false));
        records.push_back(strip.Finish(0x1000));
    }
    {
        StripBuilder strip;
        strip.FullCodebook(0x24, Entries(random, 60));
        strip.IntraVectors(Blocks(random, width, height, false, true));
        records.push_back(strip.Finish(0x1000));
    }
    return records;
}
