#pragma once
// The options block of this image (format/PlayerOptions.h): built into the player as "off" and
// rewritten by image assembly for each image.
#include "format/PlayerOptions.h"

// The block as the cartridge holds it.
player_options::PlayerOptions ReadOptions();
