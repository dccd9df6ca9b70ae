#pragma once
// The keys of an image with controls, watched by the v-blank handler at every v-blank (of a
// running or a paused pass alike) and handed to the playback loop as presses. Right and left
// repeat while held. The watch lasts across passes, so that holding a key through the pass a
// seek starts neither presses it again nor stops its repeat.
#include <stdint.h>

// The keys as they are now: none pressed from then on unless pressed anew. Called once at start.
void StartWatchingKeys();

// At a v-blank: notes the keys pressed since the last one, and the repeats of right and left.
void WatchControlKeys();

// The presses noted since the last call (hw::KEY_* bits), with interrupts masked; `keep` stay
// noted for a later call.
uint16_t TakeKeyPresses(uint16_t keep);
