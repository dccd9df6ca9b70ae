#pragma once
// The hand-over of drawn pictures to the screen. Records are drawn in order, up to one ahead
// of the screen, and each is shown in the v-blank of the refresh that it becomes due at, or,
// if it is drawn too late for that, at the first v-blank after it is drawn, unless a later
// record is due by then: it is passed over. Either way it counts as late.

// Passes over drawn records that a later due record has overtaken and, when `mayCopy` (only
// in a v-blank), shows the newest due record if it is drawn. Called by the v-blank handler
// after its sound work, and by the playback loop with interrupts masked.
void PresentDueFrame(bool mayCopy);
