#pragma once
// One frame record as the stream writer takes it: the strip id and the strip's chunks.
#include <cstdint>
#include <vector>

struct FrameRecord {
    uint16_t stripId = 0x1000;  // 0x1000 intra, 0x1100 inter
    std::vector<uint8_t> chunks;
};
