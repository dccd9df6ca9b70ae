#include "cinepak/RateControl.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "cinepak/CinepakWriter.h"

namespace cinepak {

namespace {

// The trade-off's search range, squared error per bit. Below the lowest every block takes its
// best mode; above the highest (a whole block's worst error is about 3.1e6) the cheapest.
constexpr double kLowestLambda = 1e-3;
constexpr double kHighestLambda = 1e8;
// The search steps by this factor from the guess until it brackets the target, then halves the
// bracket's logarithm until its ends differ by less than the precision; blocks that change mode
// inside the last bracket are settled one by one.
constexpr double kBracketStep = 4;
constexpr double kPrecision = 1.001;

constexpr int kModes = 3;

}  // namespace

uint32_t ModeBits(bool intra, BlockMode mode) {
    return FlagBits(intra ? ChunkId::VectorsIntra : ChunkId::VectorsInter, mode) + 8 * IndexBytes(mode);
}

ChunkId VectorChunkFor(bool intra, const std::array<uint32_t, 3>& modeCounts) {
    if (!intra && modeCounts[size_t(BlockMode::Skip)] > 0) return ChunkId::VectorsInter;
    return modeCounts[size_t(BlockMode::V4)] == 0 ? ChunkId::VectorsV1 : ChunkId::VectorsIntra;
}

CodebookChunk PlanCodebookChunk(const CodebookCosts& costs, std::span<const uint16_t, kSlots> uses) {
    CodebookChunk chunk;
    if (costs.intra) {
        int used = 0;
        for (uint16_t count : uses) used += count > 0;
        if (used > 0) {
            chunk.kind = CodebookChunkKind::Full;
            chunk.fullEntries = used;
        }
        return chunk;
    }
    for (int slot = 0; slot < kSlots; ++slot) chunk.slots[slot] = costs.changed[slot] && uses[slot] > 0;
    if (chunk.slots.none()) return chunk;
    int highest = kSlots - 1;
    while (!chunk.slots[highest]) --highest;
    chunk.kind = CodebookChunkKind::Partial;
    const uint32_t partialBytes = CodebookChunkBytes(chunk);
    if (FullCodebookBytes(uint32_t(highest + 1)) < partialBytes) {
        chunk.kind = CodebookChunkKind::Full;
        chunk.fullEntries = highest + 1;
    }
    return chunk;
}

RateControl::RateControl(int blocks) : lowModes_(size_t(blocks)) {}

void RateControl::Select(std::span<const BlockOptions> options, bool intra, double lambda,
                         std::span<BlockMode> modes, bool tallied) {
    std::array<double, kModes> rate;
    for (int mode = 0; mode < kModes; ++mode) rate[mode] = lambda * ModeBits(intra, BlockMode(mode));
    for (size_t block = 0; block < options.size(); ++block) {
        const BlockOptions& option = options[block];
        std::array<double, kModes> cost;
        for (int mode = 0; mode < kModes; ++mode)
            cost[mode] = option.error[mode] == kUnavailable ? std::numeric_limits<double>::infinity()
                                                              : option.weight * double(option.error[mode]) + rate[mode];
        assert(std::isfinite(std::min({cost[0], cost[1], cost[2]})));
        // The cheapest; of equally cheap modes the first.
        const BlockMode best = cost[0] <= cost[1] && cost[0] <= cost[2] ? BlockMode::Skip
                               : cost[1] <= cost[2]                     ? BlockMode::V1
                                                                        : BlockMode::V4;
        if (tallied && best != modes[block]) Change(option, modes[block], best);
        modes[block] = best;
    }
}

void RateControl::Change(const BlockOptions& option, BlockMode from, BlockMode to) {
    --tally_.modes[size_t(from)];
    ++tally_.modes[size_t(to)];
    const auto adjust = [&](BlockMode mode, int step) {
        if (mode == BlockMode::V1) tally_.v1Uses[option.v1.index[0]] += step;
        if (mode == BlockMode::V4)
            for (uint8_t index : option.v4.index) tally_.v4Uses[index] += step;
    };
    adjust(from, -1);
    adjust(to, 1);
}

void RateControl::StartTally(size_t blocks, std::span<BlockMode> modes) {
    tally_ = {};
    tally_.modes[size_t(BlockMode::Skip)] = uint32_t(blocks);
    std::fill(modes.begin(), modes.end(), BlockMode::Skip);
}

uint32_t RateControl::FrameBytes(bool intra, const CodebookCosts& v1Costs, const CodebookCosts& v4Costs) const {
    const ChunkId vectors = VectorChunkFor(intra, tally_.modes);
    const uint32_t unpadded =
        kStripHeaderBytes + CodebookChunkBytes(PlanCodebookChunk(v4Costs, tally_.v4Uses)) +
        CodebookChunkBytes(PlanCodebookChunk(v1Costs, tally_.v1Uses)) +
        VectorChunkBytes(vectors, tally_.modes[size_t(BlockMode::Skip)], tally_.modes[size_t(BlockMode::V1)],
                         tally_.modes[size_t(BlockMode::V4)]);
    return kFrameHeaderBytes + unpadded + StripPadding(unpadded);
}

uint32_t RateControl::BytesAt(std::span<const BlockOptions> options, bool intra, const CodebookCosts& v1Costs,
                              const CodebookCosts& v4Costs, double lambda, std::span<BlockMode> modes) {
    Select(options, intra, lambda, modes, true);
    return FrameBytes(intra, v1Costs, v4Costs);
}

RateControl::Fit RateControl::Choose(std::span<const BlockOptions> options, bool intra, const CodebookCosts& v1Costs,
                                     const CodebookCosts& v4Costs, uint32_t targetBytes, double guess,
                                     double least, std::span<BlockMode> modes) {
    StartTally(options.size(), modes);
    const auto fits = [&](double lambda) {
        return BytesAt(options, intra, v1Costs, v4Costs, lambda, modes) <= targetBytes;
    };
    const double lowest = std::clamp(least, kLowestLambda, kHighestLambda / (kBracketStep * kBracketStep));
    if (fits(lowest)) return {lowest, FrameBytes(intra, v1Costs, v4Costs), true};
    if (!fits(kHighestLambda)) return {kHighestLambda, FrameBytes(intra, v1Costs, v4Costs), false};

    double tooRich = lowest, fitting = kHighestLambda;
    double probe = std::clamp(guess, lowest * kBracketStep, kHighestLambda / kBracketStep);
    if (fits(probe)) {
        fitting = probe;
        while ((probe = fitting / kBracketStep) > lowest) {
            if (!fits(probe)) {
                tooRich = probe;
                break;
            }
            fitting = probe;
        }
    } else {
        tooRich = probe;
        while ((probe = tooRich * kBracketStep) < kHighestLambda) {
            if (fits(probe)) {
                fitting = probe;
                break;
            }
            tooRich = probe;
        }
    }
    while (fitting / tooRich > kPrecision) {
        const double middle = std::sqrt(tooRich * fitting);
        if (fits(middle))
            fitting = middle;
        else
            tooRich = middle;
    }
    // Blocks that change mode between the two ends (ties, such as many equal blocks) are
    // taken one by one while the frame still fits.
    Select(options, intra, tooRich, lowModes_, false);
    uint32_t bytes = BytesAt(options, intra, v1Costs, v4Costs, fitting, modes);
    for (size_t block = 0; block < options.size(); ++block) {
        if (lowModes_[block] == modes[block]) continue;
        Change(options[block], modes[block], lowModes_[block]);
        const uint32_t richer = FrameBytes(intra, v1Costs, v4Costs);
        if (richer <= targetBytes) {
            modes[block] = lowModes_[block];
            bytes = richer;
        } else {
            Change(options[block], lowModes_[block], modes[block]);
        }
    }
    return {fitting, bytes, true};
}

}  // namespace cinepak
