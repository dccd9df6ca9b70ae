#include "cinepak/CinepakEncoder.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "cinepak/BlockExpansion.h"
#include "cinepak/CinepakWriter.h"
#include "cinepak/CodebookUpdate.h"

namespace cinepak {

namespace {

// Trade-off for the first frame, squared error per bit; later frames start from the last one.
// Arbitrary: a middle value for pictures of this size, corrected within the first frame.
constexpr double kFirstLambda = 100;
// Codebooks are sized for a trade-off in this range (below it they are full anyway).
constexpr double kLeastTrainingLambda = 0.25;
constexpr double kMostTrainingLambda = 1e6;
// Codebooks are trained again when the chosen trade-off lies outside [1/2, 2] times theirs.
constexpr double kLambdaTolerance = 2;
constexpr int kMostPasses = 3;
// Modes are evaluated for blocks that could take them down to this fraction of the trade-off,
// which leaves rate control room below the trade-off the codebooks were sized for. Frames on
// the stream's slope take a trade-off near the one planned with: 1.5 gained 0.1 dB on film
// over 4, and 1 lost 0.15.
constexpr double kCandidateSlack = 1.5;

constexpr uint32_t kEntryBits = 8 * kEntryBytes;
// A block's input stands still while it differs from the last one by at most this squared
// error; each frame it has stood still adds this much to its weight, up to the most.
constexpr int32_t kStillError = kBlockBytes * 36;
constexpr float kStillWeight = 0.5f;
constexpr uint16_t kMostStillFrames = 2;
// Inter frames that skip at most one block in this many may code every block instead.
constexpr long kMostSkippedToCodeAll = 2;
// The V1 entries an intra frame keeps when it cannot fit its size at all.
constexpr int kSqueezedEntries = 64;
// Squared error per VqDistance unit: areas (V4) and whole blocks (V1, each luma covers 4 pixels).
constexpr double kV4VqPerError = kVqPerSquaredError;
constexpr double kV1VqPerError = kVqPerSquaredError / 4.0;
// A codebook entry's cost in VqDistance units at a trade-off of 1.
constexpr double kV1EntryCost = kEntryBits * kV1VqPerError;
constexpr double kV4EntryCost = kEntryBits * kV4VqPerError;

uint32_t ExtraBits(bool intra, BlockMode from, BlockMode to) { return ModeBits(intra, to) - ModeBits(intra, from); }

// The error above which a block is a candidate for a costlier mode, at a trade-off of 1.
double CandidateError(bool intra, BlockMode from, BlockMode to) { return ExtraBits(intra, from, to) / kCandidateSlack; }

// Every entry, for evaluations that know nothing about the blocks' entries.
std::bitset<kSlots> AllEntries() { return std::bitset<kSlots>().set(); }

// Intra frames: the used entries, renumbered in slot order, become the decoder's whole codebook.
// Returns the new number of each used slot.
std::array<uint8_t, kSlots> RewriteIntraCodebook(const std::array<uint16_t, kSlots>& uses, const Codebook& work,
                                                 Codebook& book) {
    std::array<uint8_t, kSlots> renumber{};
    book.defined.reset();
    int next = 0;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (uses[slot] == 0) continue;
        renumber[slot] = uint8_t(next);
        book.Set(next, work.entries[slot]);
        book.defined[next++] = true;
    }
    return renumber;
}

// Inter frames: the entries the chunk writes replace the decoder's.
void ApplyInterChunk(const CodebookChunk& chunk, const Codebook& work, Codebook& book) {
    for (int slot = 0; slot < kSlots; ++slot) {
        const bool written = chunk.kind == CodebookChunkKind::Full ? slot < chunk.fullEntries
                             : chunk.kind == CodebookChunkKind::Partial ? bool(chunk.slots[slot])
                                                                        : false;
        if (!written) continue;
        book.Set(slot, work.entries[slot]);
        book.defined[slot] = true;
    }
}

}  // namespace

CinepakEncoder::CinepakEncoder(int width, int height, const CinepakOptions& options, const StreamRate& rate)
    : width_(width),
      height_(height),
      options_(options),
      analysis_(width, height),
      quantizer_(size_t(analysis_.Blocks()) * 4),
      rate_(analysis_.Blocks()),
      slope_(options.rateSlope ? rate : StreamRate{}, size_t(analysis_.Blocks()) * kBlockBytes),
      picture_(size_t(analysis_.Blocks()) * kBlockBytes),
      skipErrors_(size_t(analysis_.Blocks())),
      lastInput_(size_t(analysis_.Blocks()) * kBlockBytes),
      stillFrames_(size_t(analysis_.Blocks())),
      blockOptions_(size_t(analysis_.Blocks())),
      modes_(size_t(analysis_.Blocks())),
      savedModes_(size_t(analysis_.Blocks())),
      codes_(size_t(analysis_.Blocks())),
      trainingNearest_(size_t(analysis_.Blocks()) * 4),
      lambda_(kFirstLambda) {
    v1Blocks_.reserve(size_t(analysis_.Blocks()));
    v4Blocks_.reserve(size_t(analysis_.Blocks()));
    extraBlocks_.reserve(size_t(analysis_.Blocks()));
    training_.reserve(size_t(analysis_.Blocks()) * 4);
}

uint32_t CinepakEncoder::Encode(const uint8_t* picture, bool intra, uint32_t targetBytes, std::span<uint8_t> out) {
    analysis_.Load(picture);
    WeighStillBlocks();
    if (!intra)
        for (int block = 0; block < analysis_.Blocks(); ++block)
            skipErrors_[block] = BlockError(analysis_.BlockPixels(block), picture_.data() + size_t(block) * kBlockBytes);

    // Frames mostly take a trade-off near the stream's slope, so planning starts there.
    const double slope = slope_.Slope();
    double lambda = std::clamp(slope > 0 ? slope : lambda_, kLeastTrainingLambda, kMostTrainingLambda);
    RateControl::Fit fit;
    for (int pass = 1;; ++pass) {
        if (intra)
            PlanIntraBooks(lambda);
        else
            PlanInterBooks(lambda);
        fit = ChooseModes(intra, targetBytes, lambda);
        for (int round = 0; round < options_.refinePasses; ++round) {
            RefineBooks(intra);
            fit = ChooseModes(intra, targetBytes, lambda);
        }
        // Planning again pays only where the chosen trade-off lies far from the one planned with
        // and would grow other codebooks or train them on other blocks. Which held entries stand
        // in for fresh ones shifts with any change of trade-off; it moves a few entries and is
        // left to the tolerance.
        const double chosen = std::clamp(fit.lambda, kLeastTrainingLambda, kMostTrainingLambda);
        if (pass == kMostPasses || sameTraining_.Holds(chosen) ||
            (chosen <= lambda * kLambdaTolerance && chosen >= lambda / kLambdaTolerance))
            break;
        lambda = chosen;
    }
    if (!intra) CodeEveryBlockIfCheaper(targetBytes, lambda, fit);
    // A frame that could not fit says nothing about the next one's trade-off.
    const bool fitted = fit.fits;
    if (intra && !fitted) ShrinkIntra(targetBytes, fit);
    if (fitted) lambda_ = fit.lambda;
    slope_.Record(fit.aimLambda, fit.aimError);
    FitWrittenEntries(intra);
    const uint32_t frameBytes = Finish(intra, out);
    assert(frameBytes == fit.frameBytes);
    return frameBytes;
}

void CinepakEncoder::WeighStillBlocks() {
    const uint8_t* input = analysis_.BlockPixels(0);
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        const size_t offset = size_t(block) * kBlockBytes;
        const bool still = frameCount_ > 0 && BlockError(input + offset, lastInput_.data() + offset) <= kStillError;
        stillFrames_[block] = still ? uint16_t(std::min<int>(stillFrames_[block] + 1, kMostStillFrames)) : 0;
    }
    std::copy_n(input, lastInput_.size(), lastInput_.begin());
}

float CinepakEncoder::StillWeight(int block) const {
    return 1 + kStillWeight * float(stillFrames_[size_t(block)]);
}

void CinepakEncoder::TrainIntraV1(const VqParams& params) {
    std::array<CodebookEntry, kSlots> entries;
    MemberCounts members;
    const int count = quantizer_.Train(analysis_.BlockVectors(), params, entries, members);
    usable1_.reset();
    for (int slot = 0; slot < count; ++slot) {
        work1_.Set(slot, entries[slot]);
        usable1_[slot] = true;
    }
}

void CinepakEncoder::PlanIntraBooks(double lambda) {
    v1Blocks_.clear();
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        blockOptions_[block] = {};
        blockOptions_[block].weight = StillWeight(block);
        v1Blocks_.push_back(block);
    }
    sameTraining_ = {};
    TrainIntraV1({lambda * kV1EntryCost, kSlots, options_.lloydPasses});
    sameTraining_.Meet(quantizer_.SameGrowth(), kV1EntryCost);
    EvaluateV1(AllEntries());

    // V4 can only pay where V1 leaves more error than its extra bits are worth.
    const double overV1 = CandidateError(true, BlockMode::V1, BlockMode::V4);
    v4Blocks_.clear();
    training_.clear();
    const auto areas = analysis_.AreaVectors();
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        const double v1Error = StillWeight(block) * double(blockOptions_[block].error[size_t(BlockMode::V1)]);
        if (v1Error <= lambda * overV1) {
            sameTraining_.NotOver(v1Error / overV1);
            continue;
        }
        sameTraining_.Over(v1Error / overV1);
        v4Blocks_.push_back(block);
        training_.insert(training_.end(), areas.begin() + 4 * block, areas.begin() + 4 * block + 4);
    }
    std::array<CodebookEntry, kSlots> entries;
    MemberCounts members;
    const int count =
        quantizer_.Train(training_, {lambda * kV4EntryCost, kSlots, options_.lloydPasses}, entries, members);
    sameTraining_.Meet(quantizer_.SameGrowth(), kV4EntryCost);
    usable4_.reset();
    for (int slot = 0; slot < count; ++slot) {
        work4_.Set(slot, entries[slot]);
        usable4_[slot] = true;
    }
    EvaluateV4(AllEntries());
}

void CinepakEncoder::PlanInterBooks(double lambda) {
    work1_ = v1_;
    work4_ = v4_;
    sameTraining_ = {};
    // Coding a block can only pay where skipping it leaves more error than V1's extra bits.
    const double overSkipByV1 = CandidateError(false, BlockMode::Skip, BlockMode::V1);
    v1Blocks_.clear();
    training_.clear();
    const auto blockVectors = analysis_.BlockVectors();
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        blockOptions_[block] = {};
        blockOptions_[block].error[size_t(BlockMode::Skip)] = skipErrors_[block];
        blockOptions_[block].weight = StillWeight(block);
        const double skipError = StillWeight(block) * double(skipErrors_[block]);
        if (skipError <= lambda * overSkipByV1) {
            sameTraining_.NotOver(skipError / overSkipByV1);
            continue;
        }
        sameTraining_.Over(skipError / overSkipByV1);
        v1Blocks_.push_back(block);
        training_.push_back(blockVectors[block]);
    }
    const CodebookFit fit1 = UpdateCodebook(training_, {lambda * kV1EntryCost, kSlots, options_.lloydPasses},
                                            quantizer_, search_, work1_, changed1_, trainingNearest_);
    sameTraining_.Meet(fit1.sameGrowth, kV1EntryCost);
    usable1_ = work1_.defined | changed1_;
    for (size_t i = 0; i < v1Blocks_.size(); ++i) blockOptions_[v1Blocks_[i]].v1.index[0] = trainingNearest_[i];
    EvaluateV1(fit1.moved);

    const double overSkip = CandidateError(false, BlockMode::Skip, BlockMode::V4);
    const double overV1 = CandidateError(false, BlockMode::V1, BlockMode::V4);
    v4Blocks_.clear();
    training_.clear();
    const auto areas = analysis_.AreaVectors();
    for (int block : v1Blocks_) {
        const BlockOptions& option = blockOptions_[block];
        // From this trade-off on the block is no candidate: one of its errors no longer pays.
        double leaves = skipErrors_[block] / overSkip;
        if (option.error[size_t(BlockMode::V1)] != kUnavailable)
            leaves = std::min(leaves, option.error[size_t(BlockMode::V1)] / overV1);
        leaves *= option.weight;
        if (leaves <= lambda) {
            sameTraining_.NotOver(leaves);
            continue;
        }
        sameTraining_.Over(leaves);
        v4Blocks_.push_back(block);
        training_.insert(training_.end(), areas.begin() + 4 * block, areas.begin() + 4 * block + 4);
    }
    const CodebookFit fit4 = UpdateCodebook(training_, {lambda * kV4EntryCost, kSlots, options_.lloydPasses},
                                            quantizer_, search_, work4_, changed4_, trainingNearest_);
    sameTraining_.Meet(fit4.sameGrowth, kV4EntryCost);
    usable4_ = work4_.defined | changed4_;
    for (size_t i = 0; i < v4Blocks_.size(); ++i)
        std::copy_n(trainingNearest_.begin() + 4 * i, 4, blockOptions_[v4Blocks_[i]].v4.index.begin());
    EvaluateV4(fit4.moved);
}

// A Lloyd step on the blocks that chose each codebook. Their entries are the nearest usable ones
// already: the evaluation searched the same codebooks.
void CinepakEncoder::RefineBooks(bool intra) {
    SlotSums sums1{}, sums4{};
    const auto areas = analysis_.AreaVectors();
    const auto blockVectors = analysis_.BlockVectors();
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        const BlockOptions& option = blockOptions_[block];
        if (modes_[block] == BlockMode::V1) sums1[option.v1.index[0]].Add(blockVectors[block]);
        if (modes_[block] == BlockMode::V4)
            for (int area = 0; area < 4; ++area) sums4[option.v4.index[area]].Add(areas[4 * block + area]);
    }
    const std::bitset<kSlots> moved1 = MoveToCentroids(sums1, intra ? usable1_ : changed1_, work1_);
    const std::bitset<kSlots> moved4 = MoveToCentroids(sums4, intra ? usable4_ : changed4_, work4_);
    EvaluateV1(moved1);
    EvaluateV4(moved4);
}

bool CinepakEncoder::IndexSearches(const Codebook& book, const std::bitset<kSlots>& usable,
                                   const std::bitset<kSlots>& moved) {
    std::array<uint8_t, kSlots> slots;
    search_.Build(book.vectors, std::span(slots.data(), size_t(ListSlots(usable, slots))));
    if ((usable & ~moved).any())
        movedSearch_.Build(book.vectors, std::span(slots.data(), size_t(ListSlots(usable & moved, slots))));
    return !search_.Empty();
}

void CinepakEncoder::EvaluateV1(const std::bitset<kSlots>& moved) { EvaluateV1On(v1Blocks_, moved); }

void CinepakEncoder::EvaluateV1On(std::span<const int> blocks, const std::bitset<kSlots>& moved) {
    if (!IndexSearches(work1_, usable1_, moved)) return;
    const auto vectors = analysis_.BlockVectors();
    for (int block : blocks) {
        BlockOptions& option = blockOptions_[block];
        const uint8_t slot = NearestAfterMove(vectors[block], option.v1.index[0], moved, work1_, search_, movedSearch_);
        option.v1 = {BlockMode::V1, {slot, 0, 0, 0}};
        option.error[size_t(BlockMode::V1)] = V1Error(analysis_.BlockPixels(block), work1_.pixels[slot]);
    }
}

void CinepakEncoder::EvaluateV4(const std::bitset<kSlots>& moved) {
    if (!IndexSearches(work4_, usable4_, moved)) return;
    const auto areas = analysis_.AreaVectors();
    for (int block : v4Blocks_) {
        BlockOptions& option = blockOptions_[block];
        const uint8_t* pixels = analysis_.BlockPixels(block);
        int32_t error = 0;
        option.v4.mode = BlockMode::V4;
        for (int area = 0; area < 4; ++area) {
            const uint8_t slot = NearestAfterMove(areas[4 * block + area], option.v4.index[area], moved, work4_,
                                                  search_, movedSearch_);
            option.v4.index[area] = slot;
            error += AreaError(pixels + kAreaBytes * area, work4_.pixels[slot]);
        }
        option.error[size_t(BlockMode::V4)] = error;
    }
}

// Aim at the band's size within its trade-offs; a frame that would need more than the band's top
// takes the top, or what fits its desired size if that is more.
RateControl::Fit CinepakEncoder::ChooseModes(bool intra, uint32_t targetBytes, double guess, bool everyBlock) {
    const auto choose = [&](uint32_t bytes, double least) {
        return rate_.Choose(blockOptions_, intra || everyBlock, {intra, changed1_}, {intra, changed4_}, bytes, guess,
                            least, modes_);
    };
    const uint32_t aimBytes = slope_.Aim(targetBytes);
    RateControl::Fit fit = choose(aimBytes, 0);
    const double aimError = Distortion(false);
    const RateSlope::Band band = slope_.For(aimError);
    if (std::isinf(band.high)) {
        fit.aimLambda = fit.fits ? fit.lambda : 0;
        fit.aimError = aimError;
        return fit;
    }
    const double aimLambda = fit.fits ? fit.lambda : std::numeric_limits<double>::infinity();
    if (aimLambda < band.low) fit = choose(aimBytes, band.low);
    if (aimLambda > band.high) fit = choose(targetBytes, band.high);
    fit.aimLambda = aimLambda;
    fit.aimError = aimError;
    return fit;
}

double CinepakEncoder::Distortion(bool weighted) const {
    double distortion = 0;
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        const BlockOptions& option = blockOptions_[block];
        distortion += double(weighted ? option.weight : 1.0f) * double(option.error[size_t(modes_[block])]);
    }
    return distortion;
}

double CinepakEncoder::Cost(const RateControl::Fit& fit, double lambda) const {
    return Distortion(true) + lambda * 8 * fit.frameBytes;
}

void CinepakEncoder::CodeEveryBlockIfCheaper(uint32_t targetBytes, double guess, RateControl::Fit& fit) {
    const auto skipped = std::count(modes_.begin(), modes_.end(), BlockMode::Skip);
    if (!fit.fits || skipped * kMostSkippedToCodeAll > analysis_.Blocks()) return;
    const double lambda = fit.lambda;
    const double skipping = Cost(fit, lambda);
    savedModes_ = modes_;
    // Every block needs a way to be coded; V1 is the cheapest.
    extraBlocks_.clear();
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        BlockOptions& option = blockOptions_[block];
        option.error[size_t(BlockMode::Skip)] = kUnavailable;
        if (option.error[size_t(BlockMode::V1)] == kUnavailable) extraBlocks_.push_back(block);
    }
    EvaluateV1On(extraBlocks_, AllEntries());
    const RateControl::Fit coded = ChooseModes(false, targetBytes, guess, true);
    if (coded.fits && Cost(coded, lambda) < skipping) {
        fit = coded;
        return;
    }
    for (int block = 0; block < analysis_.Blocks(); ++block)
        blockOptions_[block].error[size_t(BlockMode::Skip)] = skipErrors_[block];
    modes_ = savedModes_;
}

void CinepakEncoder::ShrinkIntra(uint32_t targetBytes, RateControl::Fit& fit) {
    // Over its size whatever it holds, the frame keeps a codebook of a few dozen entries: at
    // low rates these bytes are a small part of the frame and make a picture the next frames
    // can build on instead of one of a single colour.
    const uint32_t blocks = uint32_t(analysis_.Blocks());
    const uint32_t unpadded = kStripHeaderBytes + FullCodebookBytes(kSqueezedEntries) +
                              VectorChunkBytes(ChunkId::VectorsV1, 0, blocks, 0);
    const uint32_t allowed = std::max(targetBytes, kFrameHeaderBytes + unpadded + StripPadding(unpadded));
    for (BlockOptions& option : blockOptions_) option.error[size_t(BlockMode::V4)] = kUnavailable;
    for (int most = kSqueezedEntries; !fit.fits && most >= 1; most /= 2) {
        TrainIntraV1({0, most, options_.lloydPasses});
        EvaluateV1(AllEntries());
        fit = rate_.Choose(blockOptions_, true, {true, changed1_}, {true, changed4_}, allowed, fit.lambda, 0,
                           modes_);
    }
}

void CinepakEncoder::GatherMoments() {
    moments1_ = {};
    moments4_ = {};
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        const uint8_t* pixels = analysis_.BlockPixels(block);
        if (modes_[block] == BlockMode::V1) {
            EntryMoments& moments = moments1_[blockOptions_[block].v1.index[0]];
            for (int area = 0; area < 4; ++area)
                for (int pixel = 0; pixel < 4; ++pixel) moments.Add(area, pixels + kAreaBytes * area + 3 * pixel);
        } else if (modes_[block] == BlockMode::V4) {
            for (int area = 0; area < 4; ++area) {
                EntryMoments& moments = moments4_[blockOptions_[block].v4.index[area]];
                for (int pixel = 0; pixel < 4; ++pixel) moments.Add(pixel, pixels + kAreaBytes * area + 3 * pixel);
            }
        }
    }
}

void CinepakEncoder::FitEntries(const std::array<EntryMoments, kSlots>& moments, const std::bitset<kSlots>& movable,
                                Codebook& book) {
    for (int slot = 0; slot < kSlots; ++slot) {
        const EntryMoments& m = moments[slot];
        if (!movable[slot] || m.count[0] + m.count[1] + m.count[2] + m.count[3] == 0) continue;
        const CodebookEntry entry = FitEntry(m, book.entries[slot]);
        if (entry != book.entries[slot]) book.Set(slot, entry);
    }
}

void CinepakEncoder::FitWrittenEntries(bool intra) {
    GatherMoments();
    // Held entries are not written again: they stay as the decoder has them.
    FitEntries(moments1_, intra ? usable1_ : changed1_, work1_);
    FitEntries(moments4_, intra ? usable4_ : changed4_, work4_);
}

uint32_t CinepakEncoder::Finish(bool intra, std::span<uint8_t> out) {
    std::array<uint32_t, 3> modeCounts{};
    std::array<uint16_t, kSlots> uses1{}, uses4{};
    for (int block = 0; block < analysis_.Blocks(); ++block) {
        const BlockMode mode = modes_[block];
        ++modeCounts[size_t(mode)];
        codes_[block] = mode == BlockMode::V1 ? blockOptions_[block].v1
                        : mode == BlockMode::V4 ? blockOptions_[block].v4
                                                : BlockCode{};
        if (mode == BlockMode::V1) ++uses1[codes_[block].index[0]];
        if (mode == BlockMode::V4)
            for (uint8_t index : codes_[block].index) ++uses4[index];
    }

    FramePlan plan{.width = width_, .height = height_, .intra = intra, .vectors = VectorChunkFor(intra, modeCounts)};
    plan.v1Chunk = PlanCodebookChunk({intra, changed1_}, uses1);
    plan.v4Chunk = PlanCodebookChunk({intra, changed4_}, uses4);
    if (intra) {
        const std::array<uint8_t, kSlots> renumber1 = RewriteIntraCodebook(uses1, work1_, v1_);
        const std::array<uint8_t, kSlots> renumber4 = RewriteIntraCodebook(uses4, work4_, v4_);
        for (BlockCode& code : codes_) {
            if (code.mode == BlockMode::V1) code.index[0] = renumber1[code.index[0]];
            if (code.mode == BlockMode::V4)
                for (uint8_t& index : code.index) index = renumber4[index];
        }
    } else {
        ApplyInterChunk(plan.v1Chunk, work1_, v1_);
        ApplyInterChunk(plan.v4Chunk, work4_, v4_);
    }
    ++frameCount_;
    // Intra frames renumbered their entries: every one they hold is used.
    for (int slot = 0; slot < kSlots; ++slot) {
        if (intra ? bool(v1_.defined[slot]) : uses1[slot] > 0) v1_.lastUse[slot] = frameCount_;
        if (intra ? bool(v4_.defined[slot]) : uses4[slot] > 0) v4_.lastUse[slot] = frameCount_;
    }
    plan.v1 = &v1_;
    plan.v4 = &v4_;
    plan.blocks = codes_;
    ByteSink sink(out);
    const uint32_t frameBytes = WriteFrame(sink, plan);
    ExpandBlocks(codes_, v1_, v4_, picture_);
    return frameBytes;
}

std::vector<uint8_t> CinepakEncoder::Reconstruction() const {
    std::vector<uint8_t> rgb(size_t(width_) * size_t(height_) * 3);
    const int blocksWide = width_ / 4;
    for (int row = 0; row < height_; ++row)
        for (int column = 0; column < width_; ++column) {
            const uint8_t* pixel = picture_.data() + size_t((row / 4) * blocksWide + column / 4) * kBlockBytes +
                                   BlockPixelOffset(column % 4, row % 4);
            std::copy_n(pixel, 3, rgb.data() + (size_t(row) * width_ + column) * 3);
        }
    return rgb;
}

}  // namespace cinepak
