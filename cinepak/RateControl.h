#pragma once
// Rate control: turns a frame's size target into the trade-off between distortion and size,
// and chooses each block's mode under it. Distortion is squared RGB error; the trade-off
// `lambda` is squared error per bit. Frame sizes come from the bitstream's own counts.
#include <array>
#include <bitset>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "cinepak/CinepakFormat.h"
#include "cinepak/FramePlan.h"

namespace cinepak {

inline constexpr int32_t kUnavailable = std::numeric_limits<int32_t>::max();

// The ways one block can be coded: squared error per mode (kUnavailable where not allowed) and
// the entries each coded mode would use.
struct BlockOptions {
    std::array<int32_t, 3> error{kUnavailable, kUnavailable, kUnavailable};  // by BlockMode
    float weight = 1;  // what the block's error counts for against bits
    BlockCode v1;
    BlockCode v4;
};

// Which entries of a codebook a frame must write if a block uses them. Intra frames write the
// entries they use, renumbered from 0, as one full chunk; inter frames write the entries they
// changed, as a partial chunk or a full chunk up to the highest one, whichever is shorter.
struct CodebookCosts {
    bool intra = false;
    std::bitset<kSlots> changed;  // inter frames: entries whose new value must be written
};

// Flag and index bits of a mode in a frame of this kind.
uint32_t ModeBits(bool intra, BlockMode mode);

class RateControl {
public:
    explicit RateControl(int blocks);

    struct Fit {
        double lambda = 0;
        uint32_t frameBytes = 0;
        bool fits = false;  // false: even the smallest choice is larger than the target
        double aimLambda = 0;  // the trade-off that fills the size aimed at (infinite: none fits it)
        double aimError = 0;   // the squared error at the size aimed at
    };

    // Chooses modes (written to `modes`) that fit `targetBytes` with the least distortion the
    // options allow at a trade-off of at least `least` (0: any); when nothing fits, the
    // smallest choice. The search starts at `guess`.
    Fit Choose(std::span<const BlockOptions> options, bool intra, const CodebookCosts& v1Costs,
               const CodebookCosts& v4Costs, uint32_t targetBytes, double guess, double least,
               std::span<BlockMode> modes);

private:
    struct Tally {
        std::array<uint32_t, 3> modes{};            // blocks by BlockMode
        std::array<uint16_t, kSlots> v1Uses{};      // blocks using each V1 entry
        std::array<uint16_t, kSlots> v4Uses{};      // areas using each V4 entry
    };

    // Each block's mode at the trade-off `lambda`. `tallied`: the tally follows the changes,
    // as it follows `modes` already.
    void Select(std::span<const BlockOptions> options, bool intra, double lambda, std::span<BlockMode> modes,
                bool tallied);
    // Every block skipped, the tally to match.
    void StartTally(size_t blocks, std::span<BlockMode> modes);
    void Change(const BlockOptions& option, BlockMode from, BlockMode to);
    uint32_t FrameBytes(bool intra, const CodebookCosts& v1Costs, const CodebookCosts& v4Costs) const;
    uint32_t BytesAt(std::span<const BlockOptions> options, bool intra, const CodebookCosts& v1Costs,
                     const CodebookCosts& v4Costs, double lambda, std::span<BlockMode> modes);

    Tally tally_;
    std::vector<BlockMode> lowModes_;
};

// The vectors chunk that codes these mode counts (blocks by BlockMode) in the fewest bytes.
ChunkId VectorChunkFor(bool intra, const std::array<uint32_t, 3>& modeCounts);
// The codebook chunk that writes what the frame needs; `uses` counts the users of each entry.
// For an intra frame it assumes the used entries are renumbered 0, 1, 2, ... in slot order.
CodebookChunk PlanCodebookChunk(const CodebookCosts& costs, std::span<const uint16_t, kSlots> uses);

}  // namespace cinepak
