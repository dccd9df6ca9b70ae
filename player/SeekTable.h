#pragma once
// The movie's seek points (format/SeekPoints.h), found once at start by a walk over the records
// into a table in external work RAM: where each one's record lies, the audio block that plays
// with it and whether its record is intra-coded, as a seek needs it. The same walk makes the
// stream check that a saved place must match (format/ResumePoint.h).
#include <stdint.h>

#include "player/Iwram.h"
#include "player/MovieStream.h"

struct SeekPoint {
    const uint8_t* record;
    uint32_t block;  // the audio block that plays with it
    bool intra;      // a picture can start there; record 0 always can
};

// Walks the records of `view` (the stream at `stream`) for a seek point every `interval`
// records, from record 0 on, up to the table's capacity. Called once at start.
void FindSeekPoints(const MovieStreamView& view, const uint8_t* stream, uint32_t interval);

// Seek points in the table: 0 before FindSeekPoints or without records.
uint32_t SeekPointCount();
uint32_t SeekInterval();
uint32_t StreamCheck();
const SeekPoint& SeekPointAt(uint32_t index);

// The last seek point at or before `record` that a picture can start at.
uint32_t SeekPointAtOrBefore(uint32_t record);

// The next restart of the coder after seek point `index`: the next seek point with a later
// block, and where that block's ADPCM bytes start (null: the audio block does not reach it).
struct Restart {
    uint32_t point;
    const uint8_t* at;
};
Restart RestartAfter(uint32_t index);

// At the block gPass.restartAt: the coder starts afresh, and the next restart becomes due.
// Called by the v-blank handler before it decodes that block.
void StartAdpcmAfresh();
