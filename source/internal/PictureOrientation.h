#pragma once
// The picture as a player shows it: non-square pixels made square and the rotation the file
// states applied, so that trimming and sizing act on what the viewer sees.
#include <cstddef>
#include <cstdint>

#include "source/internal/Ffmpeg.h"

struct PictureOrientation {
    // The decoded picture scaled to square pixels. The scaling only ever shrinks a side, so a
    // wild aspect ratio cannot make the picture larger than the decoder's.
    int squareWidth = 0;
    int squareHeight = 0;
    int clockwiseTurns = 0;  // quarter turns, 0..3, applied after the scaling

    int DisplayWidth() const { return clockwiseTurns % 2 ? squareHeight : squareWidth; }
    int DisplayHeight() const { return clockwiseTurns % 2 ? squareWidth : squareHeight; }
};

// The stream's sample aspect ratio, else its codec's; {0, 1} or {0, 0} when neither states one.
AVRational SampleAspectOf(const AVStream& stream);

// What the stream states: its sample aspect ratio (an aspect within 1 % of square counts as
// square) and its display matrix (rotations by multiples of 90 degrees; others are ignored).
PictureOrientation OrientationOf(const AVStream& stream);

// Copies a top-down B,G,R picture of `width` x `height` into a bottom-up B,G,R buffer,
// turned clockwise by `clockwiseTurns` quarter turns. Strides in bytes.
void TurnPicture(const uint8_t* source, size_t sourceStride, int width, int height, int clockwiseTurns,
                 uint8_t* target, size_t targetStride);
