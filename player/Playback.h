#pragma once
// The movie in passes without end. A pass runs from its start to the first change of the keys,
// or to the refresh that hands over to the next pass, timed so that the next pass's record 0
// replaces the last record exactly when the last record's time is over.
#include <stdint.h>

// `stream` is the movie stream, the first byte after the player's own image.
[[noreturn]] void PlayMovie(const uint8_t* stream);

// A movie of a menu image: passes as PlayMovie's, but it returns, with the sound stopped and the
// interrupt handler left idle, once the last record has been on the screen for a refresh, or on
// B (SELECT with controls, where SELECT no longer goes back to the start).
void PlayMenuMovie(const uint8_t* stream);
