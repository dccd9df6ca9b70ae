#pragma once
// One pass of the movie: from the stream header to the refresh after the last frame record's
// time, or to the first change of the keys.
#include <stdint.h>

// `stream` is the movie stream, the first byte after the player's own image.
void RunPass(const uint8_t* stream);
