#pragma once
// Where a player with controls keeps its place in the movie across power-off: a record in the
// cartridge's battery-backed SRAM, which the bus reaches a byte at a time. It names the seek
// point to resume at and the stream it belongs to, and is guarded so that blank SRAM, a torn
// write or another movie's record reads as no place at all. Freestanding: host tools read it
// from the emulator's SRAM to follow the player.
#include <stdint.h>

namespace resume_point {

inline constexpr uint32_t kSramAddress = 0x0E000000;  // the record starts the SRAM
inline constexpr uint32_t kMagic = 0x5352564B;        // "KVRS" in memory order

struct ResumePoint {
    uint32_t magic;
    uint32_t streamCheck;  // StreamCheck of the stream it was written for
    uint32_t record;       // the seek point's frame record
    uint32_t checksum;     // Checksum of the three fields above
};
static_assert(sizeof(ResumePoint) == 16);

// One step of the 32-bit FNV-1a hash, a word at a time.
constexpr uint32_t Mix(uint32_t hash, uint32_t word) {
    return (hash ^ word) * 16777619u;
}
inline constexpr uint32_t kMixStart = 2166136261u;

// The stream check: the mix of the stream header's three words, the first word of every frame
// record (its length and strip id) and the AudioBlockCount, in stream order. The player builds
// it with the walk over the records it makes at start.
struct StreamCheck {
    uint32_t hash = kMixStart;
    constexpr void Add(uint32_t word) { hash = Mix(hash, word); }
};

constexpr uint32_t Checksum(const ResumePoint& point) {
    return Mix(Mix(Mix(kMixStart, point.magic), point.streamCheck), point.record);
}

constexpr ResumePoint Make(uint32_t streamCheck, uint32_t record) {
    ResumePoint point{kMagic, streamCheck, record, 0};
    point.checksum = Checksum(point);
    return point;
}

// Whether `point` is an intact record written for the stream whose check is `streamCheck`.
constexpr bool Holds(const ResumePoint& point, uint32_t streamCheck) {
    return point.magic == kMagic && point.streamCheck == streamCheck && point.checksum == Checksum(point);
}

}  // namespace resume_point
