#pragma once
// The hint the player draws while a pass is paused: a darkened band across the foot of the
// screen with white text over the picture (or its black border), put back as it was when the
// pass plays on. The band is made in external work RAM and copied to the screen, so that the
// screen only ever shows it whole.
#include <stdint.h>

enum class HintKind {
    kPaused,  // "|  12:34 / 45:06": where the movie stands, and its length
    kResume,  // ">  START 12:34   <  SELECT 0:00": the saved place, or the start
};

// Keeps the screen's band and draws the hint over it; times in seconds. Nothing may copy a
// picture to the screen while it is shown.
void ShowHint(HintKind kind, uint32_t positionSeconds, uint32_t lengthSeconds);
// Puts the band back as it was; nothing when no hint is shown.
void RemoveHint();
bool HintShown();
// Forgets a hint that a picture copied to the whole screen has covered.
void ForgetHint();
