#pragma once
// The v-blank handler's part of a pause (PauseState in Interrupt.h): the sound ramps down to
// silence before it stops and, at the resume, starts on silence and ramps up again from where it
// stopped, so that neither is heard as a click; meanwhile the pass's clock stands still.
#include <stdint.h>

// Blacks out the buffer that plays the ramp down and the silence. Called once at start.
void ClearPauseBuffer();

// The handler's work at a v-blank while the pass is not simply playing, keys included; true
// when the clock stands still at this v-blank (the rest of the v-blank's work is left out),
// false when the v-blank is the first of a resumed pass that never ran.
bool HoldClock();
