#pragma once
// What the keys do in an image with controls, as the playback loop carries it out: START or A
// pauses and resumes, right and left seek 10 seconds on and back (repeating while held), R and L
// a minute, SELECT goes back to the start; a seek lands on the last seek point at or before
// where it aims, and keeps a paused pass paused. The place in the movie is kept in SRAM at every
// seek point the screen reaches and at every pause, and offered again at the next power-on.
#include "player/PassPlan.h"

// At power-on: a paused pass at the place saved for this movie, with the hint that offers to
// resume there; false when the SRAM holds none (or the start).
bool SavedPlace(PassBegin& begin);

// The pass the keys pressed since the last call ask for, if any: true, with `begin` set. A pause
// or a resume they ask for is left to the v-blank handler (a resume removes the hint first).
// Called with interrupts masked.
bool TakeControls(const Movie& movie, PassBegin& begin);

// Called when a pass has begun: its hint is still to be drawn.
void NotePassBegun(const PassBegin& begin);

// The hint, once a paused pass shows its picture, and the place in the SRAM. Called with
// interrupts enabled.
void KeepUpControls(const Movie& movie);
