#include "preview/PlayerProbe.h"

#include <cstring>
#include <vector>

player_layout::PlayerStatus ReadPlayerStatus(const HandheldCore& core) {
    const std::vector<uint8_t> bytes = core.ReadBytes(player_layout::kStatusAddress, sizeof(player_layout::PlayerStatus));
    player_layout::PlayerStatus status;
    std::memcpy(&status, bytes.data(), sizeof status);  // both sides are little-endian
    return status;
}

std::array<int8_t, player_layout::kSoundBufferBytes> ReadSoundBuffer(const HandheldCore& core, uint32_t buffer) {
    const std::vector<uint8_t> bytes =
        core.ReadBytes(player_layout::kSoundBufferAddress[buffer & 1], player_layout::kSoundBufferBytes);
    std::array<int8_t, player_layout::kSoundBufferBytes> samples;
    std::memcpy(samples.data(), bytes.data(), samples.size());
    return samples;
}
