#pragma once
// The sample movie's scene: a small animated landscape with a tune. The demo converts it, and
// the conversion benchmark uses it as natural-looking content of any size.
#include <cstdint>
#include <span>

#include "tests/source/FixtureMovies.h"

// Draws frame `frame` at `framesPerSecond` into width x height points, rows top first.
void DrawSampleLandscape(int frame, int framesPerSecond, int width, int height, std::span<Rgb> picture);

// Sample `index` of a channel (0 left, 1 right) at `sampleRate`, 16-bit.
int16_t SampleTune(int channel, int index, int sampleRate);

// A movie of the scene and the tune at 44100 Hz stereo: MJPEG pictures and PCM sound in AVI
// unless the caller changes the codecs and the container.
FixtureMovie SampleMovie(int width, int height, int framesPerSecond, int seconds);

// The scene with a film's grain of up to 4 levels either way, new in every frame, and the tune,
// coded as downloads are: H.264 in MP4 by libx264's "veryfast" preset (the arithmetic entropy
// coder, the loop filter, up to 3 B-frames), a key picture every 250, AAC sound. The grain
// makes it costly to decode, as real movies are.
FixtureMovie DownloadedSampleMovie(int width, int height, int framesPerSecond, int seconds);
