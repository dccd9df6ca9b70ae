#include "player/Options.h"

#include "player/hw/Registers.h"

// The linker script puts this section right behind the cartridge header, where assembly
// writes the block.
extern "C" [[gnu::section(".header.options"), gnu::used]] const player_options::PlayerOptions kavroOptions =
    player_options::Off();

player_options::PlayerOptions ReadOptions() {
    player_options::PlayerOptions options;
    auto* bytes = reinterpret_cast<uint8_t*>(&options);
    for (uint32_t i = 0; i < sizeof options; ++i) bytes[i] = hw::ReadCartridgeByte(reinterpret_cast<const uint8_t*>(&kavroOptions) + i);
    return options;
}
