#pragma once
// What the playback loop takes from the image once, and how each pass over the movie begins.
#include <stdint.h>

#include "player/Display.h"
#include "player/MovieStream.h"

struct Movie {
    MovieStreamView stream;
    BlockGrid grid;
    uint32_t soundStart;  // refresh of a pass from record 0 at which its first sound sample plays
    bool controls;        // pause, seek and resume (the options block); else a change of the keys restarts
};

enum class PassStart {
    kPowerOn,  // record 0, drawn before the pass starts
    kLoop,     // record 0 after the last record, its pace carried on
    kKeys,     // record 0 at once, for a change of the keys (without controls)
    kSeek,     // a seek point, at once, with the clock that record has in a pass from record 0
};

struct PassBegin {
    PassStart start;
    uint32_t seekPoint = 0;  // kSeek: its index in the seek table
    bool paused = false;     // kSeek: the pass shows its first record and waits for a resume
    bool offerResume = false;  // paused at the place saved at the last power-off: the hint says so
};
