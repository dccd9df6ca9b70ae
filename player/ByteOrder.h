#pragma once
// Multi-byte fields of the stream, read one byte at a time: neither the stream's records nor
// the chunks inside a Cinepak strip are guaranteed to be aligned, and the ARM7 rotates
// misaligned halfword and word loads instead of reading the bytes asked for.
#include <stdint.h>

inline uint32_t ReadLe16(const uint8_t* p) {
    return p[0] | p[1] << 8;
}

inline uint32_t ReadLe32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint32_t ReadBe16(const uint8_t* p) {
    return p[0] << 8 | p[1];
}

inline uint32_t ReadBe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
