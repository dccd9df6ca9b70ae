#pragma once
// The movie of the controls tests, made as the movie encoder makes a movie with controls: our
// compressor asked for an intra frame at every seek point, the sound coded afresh from each seek
// point's block; and its image with the options block that turns the controls on.
#include <cstdint>
#include <vector>

#include "tests/player/TestCartridge.h"

inline constexpr uint32_t kControlsFrameStep = 5486;  // 5 frames a second: 5 x 65536 / 59.727 = 5486.3
inline constexpr int kControlsWidth = 64;
inline constexpr int kControlsHeight = 48;

// `records` moving pictures from `firstPicture` on, with their sound.
TestMovie MakeControlsMovie(uint32_t records, int firstPicture = 0);

// The player with controls on, seek points every 2 seconds, and `movie`'s stream behind it.
std::vector<uint8_t> ControlsImage(const TestMovie& movie);
