// Power-on set-up of the player, then passes over the movie without end.
#include "player/ControlKeys.h"
#include "player/Display.h"
#include "player/Interrupt.h"
#include "player/Menu.h"
#include "player/Options.h"
#include "player/PauseSound.h"
#include "player/Playback.h"
#include "player/SharedBlock.h"
#include "player/hw/Registers.h"

// The linker's address of the first byte after the image: where the movie stream starts.
extern "C" const uint8_t kavroImageEnd[];

namespace {

// Until the first pass starts, no record is on the screen or decoded.
void MarkNoPass() {
    kavroShared.status.shownRecord = player_layout::kNoRecord;
    kavroShared.status.decodedRecord = player_layout::kNoRecord;
}

}  // namespace

// Called by crt0 once memory is set up.
extern "C" [[noreturn]] void PlayerMain() {
    MarkNoPass();
    // Cartridge wait states stay at their power-on values, which the slowest flash cartridges
    // need; only the prefetch buffer is switched on.
    hw::WAITCNT = hw::WAITCNT_PREFETCH;
    InitDisplay();
    ClearPauseBuffer();
    StartWatchingKeys();
    hw::StartCycleCounter();
    hw::SOUNDCNT_X = hw::SOUNDCNT_X_MASTER_ENABLE;

    hw::BIOS_IRQ_HANDLER = reinterpret_cast<uintptr_t>(&HandleInterrupt);
    hw::DISPSTAT = hw::DISPSTAT_VBLANK_IRQ;
    hw::IE = hw::IRQ_VBLANK;
    hw::UnmaskInterrupts();

    if (const player_options::PlayerOptions options = ReadOptions(); player_options::IsMenu(options)) {
        RunMenu(options);
    }
    PlayMovie(kavroImageEnd);
}
