#pragma once
// The player's status block and sound buffers, read from emulator memory at the fixed
// addresses the player publishes in format/PlayerLayout.h.
#include <array>
#include <cstdint>

#include "format/PlayerLayout.h"
#include "preview/HandheldCore.h"

player_layout::PlayerStatus ReadPlayerStatus(const HandheldCore& core);

// The 352 samples of sound buffer 0 or 1.
std::array<int8_t, player_layout::kSoundBufferBytes> ReadSoundBuffer(const HandheldCore& core, uint32_t buffer);
