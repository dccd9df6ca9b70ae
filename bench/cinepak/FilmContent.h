#pragma once
// Film-like test content made on the spot, 12 frames per second: five shots joined by hard cuts
// and one fade through black. A dark room with a face lit from one side, a slow pan over a
// landscape at dusk, a close-up of a face in warm light, a night street with lamps and passing
// headlights that fades out, and two people against a patterned wall that fades in. Every shot
// carries film grain that changes from frame to frame.
#include <cstdint>
#include <vector>

namespace cinepak_bench {

inline constexpr int kFilmFramesPerSecond = 12;

// Top-down R, G, B pictures of width x height.
std::vector<std::vector<uint8_t>> MakeFilmFrames(int width, int height);

}  // namespace cinepak_bench
