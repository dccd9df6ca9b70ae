#pragma once
// Decodes the frame records of the movie stream: each one the chunks of a single Cinepak
// strip that covers the whole picture.
#include "player/Display.h"
#include <stdint.h>

// Sets every codebook entry to black, as a decoder that has seen no frame yet has them.
void ResetCodebooks();

// A record is decoded in two steps, so that the first can run while the work buffer still
// waits for its turn on the screen:
//
// PrepareFrameRecord reads the record at `record` (its 4-byte header first) up to its first
// vectors chunk: it copies the record into internal work RAM when it fits, and applies the
// codebook chunks. It touches only the decoder's own memory. Damaged chunk sizes are cut to
// the record; unknown chunks are skipped.
void PrepareFrameRecord(const uint8_t* record);

// DrawFrameRecord draws the prepared record's vectors chunk into `grid`; anything after that
// chunk is ignored, as FFmpeg's decoder does. Call it once per PrepareFrameRecord.
void DrawFrameRecord(const BlockGrid& grid);
