#pragma once
// The player's instance of the block at a fixed address that host tools read.
#include "format/PlayerLayout.h"

extern "C" player_layout::PlayerShared kavroShared;
