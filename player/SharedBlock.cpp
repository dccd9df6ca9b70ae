#include "player/SharedBlock.h"

// The linker script puts this section first in internal work RAM and checks the address.
[[gnu::section(".bss.shared")]] player_layout::PlayerShared kavroShared;
