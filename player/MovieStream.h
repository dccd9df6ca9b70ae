#pragma once
// Reading the movie stream header and locating its audio block.
#include <stdint.h>

struct MovieStreamView {
    uint32_t frameCount;        // 0 when the stream holds no record, or records that do not fit
    const uint8_t* firstRecord;
    uint32_t audioBlockCount;   // 0 without an audio block
    const uint8_t* adpcm;       // first ADPCM byte
    uint32_t width;
    uint32_t height;
    uint32_t frameStep;         // 16.16 movie frames per refresh
};

// The stream at `stream`, read in the player's order: frame count, the walk over the records
// to the audio block, width and height, frame step. A walk that meets a record shorter than
// its header, or leaves the cartridge, yields no frame and no sound; so does a header-only
// stream, which has no audio block to read.
MovieStreamView ReadMovieStream(const uint8_t* stream);
