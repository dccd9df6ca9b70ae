#pragma once
// Decodes the frame records of the movie stream: each one the chunks of a single Cinepak
// strip that covers the whole picture.
#include "player/Display.h"
#include <stdint.h>

// Sets every codebook entry to black, as a decoder that has seen no frame yet has them, and
// takes the work buffer of the record before the next one (buffer 1 before record 0) as the
// black picture before it: every block that the next record leaves alone is copied from there.
// The next record's own buffer may hold anything, so the screen's last picture can stay there
// while a new pass begins.
void ResetDecoder();

// Decodes the record at `record` (its 4-byte header first) into work buffer `buffer` of
// `grid`, which must hold the picture before the previous one; the other buffer holds the
// previous picture. Records are decoded in order, alternating between the buffers.
//
// The record is copied into internal work RAM when it fits; its codebook chunks are applied
// up to its first vectors chunk, which is drawn; anything after that chunk is ignored, as
// FFmpeg's decoder does. Damaged chunk sizes are cut to the record; unknown chunks are
// skipped. Every block that the record leaves alone shows the previous picture.
void DecodeFrameRecord(const uint8_t* record, const BlockGrid& grid, uint32_t buffer);
