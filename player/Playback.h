#pragma once
// The movie in passes without end. A pass runs from its start to the first change of the keys,
// or to the refresh that hands over to the next pass, timed so that the next pass's record 0
// replaces the last record exactly when the last record's time is over.
#include <stdint.h>

// `stream` is the movie stream, the first byte after the player's own image.
[[noreturn]] void PlayMovie(const uint8_t* stream);
