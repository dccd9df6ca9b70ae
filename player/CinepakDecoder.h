#pragma once
// Decodes the frame records of the movie stream: each one the chunks of a single Cinepak
// strip that covers the whole picture.
#include "player/Display.h"
#include <stdint.h>

// Sets every codebook entry to black, as a decoder that has seen no frame yet has them.
void ResetCodebooks();

// Decodes the record at `record` (its 4-byte header first) into `grid`: codebook chunks
// update the codebooks, the first vectors chunk draws, and anything after it is ignored, as
// FFmpeg's decoder does. Damaged chunk sizes are cut to the record; unknown chunks skipped.
void DecodeFrameRecord(const uint8_t* record, const BlockGrid& grid);
