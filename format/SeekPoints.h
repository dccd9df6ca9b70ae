#pragma once
// Seek points: the frame records from which the player can start decoding a movie, picture and
// sound alike. A seek point is every `SeekInterval`-th record, counted from record 0; its record
// is intra-coded (strip id cinepak::kIntraStripId, nothing taken from the pictures before), and
// the ADPCM coder starts afresh (predictor 0, step index 0) at the audio block that plays with
// it, `BlockOfFrame`. The encoder places them by these rules and the player finds them by them;
// only images whose options block asks for controls have them. Freestanding.
#include <stdint.h>

#include "format/Adpcm.h"
#include "format/Cartridge.h"
#include "format/MovieStream.h"

namespace seek_points {

// 2 seconds of movie: 2 x 59.727 refreshes, to the refresh below. The cost in picture quality of
// an intra frame this often is the seek-point benchmark's (bench/cinepak).
inline constexpr uint16_t kSpacingRefreshes = 119;

// Records in `refreshes` display refreshes of a stream of `frameStep` (16.16 frames per
// refresh), to the nearest.
constexpr uint64_t RecordsIn(uint32_t refreshes, uint32_t frameStep) {
    return (uint64_t(refreshes) * frameStep + movie_stream::kOneFrame / 2) / movie_stream::kOneFrame;
}

// Records from one seek point to the next: the spacing's records, at least 1.
constexpr uint32_t SeekInterval(uint32_t frameStep, uint32_t spacingRefreshes) {
    const uint64_t frames = RecordsIn(spacingRefreshes, frameStep);
    return frames == 0 ? 1 : frames > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(frames);
}

constexpr bool IsSeekPoint(uint32_t record, uint32_t interval) {
    return interval != 0 && record % interval == 0;
}

// The audio block that plays with frame `record`: the one in whose refresh the frame's time
// falls, record k's time being k slots of 65536 / frameStep refreshes after the first sound
// sample, which the player plays with record 0. Block 0 for a frame step of 0.
constexpr uint32_t BlockOfFrame(uint32_t record, uint32_t frameStep) {
    return frameStep == 0 ? 0 : uint32_t((uint64_t(record) * movie_stream::kOneFrame) / frameStep);
}

// The most seek points a stream of an image that fits the cartridge can have. Its audio block
// has fewer than kMaxImageBytes / kAdpcmBlockBytes blocks and lasts as long as its records (the
// encoder makes it so), and an interval rounded to the nearest frame holds at least 2/3 of the
// spacing's frames, so there are fewer than 3/2 x blocks / spacing seek points, plus record 0.
constexpr uint32_t MaxSeekPoints(uint32_t spacingRefreshes) {
    const uint64_t blocks = cartridge::kMaxImageBytes / kAdpcmBlockBytes;
    return spacingRefreshes == 0 ? 1 : uint32_t(3 * blocks / (2 * uint64_t(spacingRefreshes)) + 2);
}

// Worked figures: at 15 frames per second (frameStep 16458) 2 seconds are 119 x 16458 / 65536
// = 29.88 frames, so every 30th record; record 30 plays with block 30 x 65536 / 16458 = 119.46,
// block 119, and record 60 with block 238.92, block 238.
static_assert(SeekInterval(16458, kSpacingRefreshes) == 30 && BlockOfFrame(30, 16458) == 119 &&
              BlockOfFrame(60, 16458) == 238);
static_assert(SeekInterval(32917, kSpacingRefreshes) == 60 && SeekInterval(100, kSpacingRefreshes) == 1);

}  // namespace seek_points
