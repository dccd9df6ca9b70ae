#pragma once
// The value of a codebook entry that draws a given set of pixels with the least squared RGB
// error as the decoder computes them: its clamping and its truncated U/2 included, which the
// training space leaves out. Every pixel drawn from one of an entry's luma values decodes to
// the same colour, so the error of any value follows from each luma's pixel count and sums.
#include <array>
#include <cstdint>

#include "cinepak/CinepakColour.h"

namespace cinepak {

// The pixels an entry draws, by the luma value that draws them (V4: one pixel of an area; V1:
// a whole 2x2 area).
struct EntryMoments {
    std::array<int32_t, 4> count{};
    std::array<std::array<int32_t, 3>, 4> sum{};  // R, G, B

    void Add(int luma, const uint8_t* rgb) {
        ++count[luma];
        for (int c = 0; c < 3; ++c) sum[luma][c] += rgb[c];
    }
};

// Squared RGB error of drawing the pixels with `entry`, less the sum of their squares.
int64_t EntryFitError(const EntryMoments& moments, const CodebookEntry& entry);

// The entry of least error, searched from `start` by chroma steps with the best luma values for
// each; never worse than `start`. Luma values that draw no pixel stay as they are.
CodebookEntry FitEntry(const EntryMoments& moments, const CodebookEntry& start);

}  // namespace cinepak
