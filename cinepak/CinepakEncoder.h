#pragma once
// The encoding context of one stream of pictures of one size: what the decoder holds after
// each frame (codebooks and picture), the size trade-off carried from frame to frame, and
// every working buffer, allocated once when the context is made.
//
// Per frame: train the V1 codebook on the blocks that may be coded, then the V4 codebook on the
// blocks that V1 serves badly (inter frames: only fresh centroids that no held entry can stand
// in for are written); choose each block's mode (skip, V1, V4) so the frame fits its target;
// retrain on the blocks that chose each codebook and choose again; should the trade-off have
// moved far from the one the codebooks were sized for, and would it grow other codebooks or
// train them on other blocks, do it again with the new one. Blocks whose picture has stood still
// weigh more against bits, since what they get is seen again while they stay. Last, the entries
// the frame writes take the values that draw their blocks best as the decoder computes them,
// clamp included. Given the data rate, frames aim at the sizes and trade-offs the stream's slope
// gives them (RateSlope), so that easy frames leave bytes unspent for the hard ones; the target
// stays the ceiling.
#include <bitset>
#include <cstdint>
#include <span>
#include <vector>

#include "cinepak/CinepakOptions.h"
#include "cinepak/CodebookSearch.h"
#include "cinepak/EntryFit.h"
#include "cinepak/FramePlan.h"
#include "cinepak/PictureAnalysis.h"
#include "cinepak/RateControl.h"
#include "cinepak/RateSlope.h"
#include "cinepak/VectorQuantizer.h"

namespace cinepak {

class CinepakEncoder {
public:
    // Width and height: multiples of 4, from 4 x 4 to 240 x 160. `rate`: what the stream was
    // told of its data rate and length, for its rate-distortion slope (none: every frame fills
    // its target).
    CinepakEncoder(int width, int height, const CinepakOptions& options, const StreamRate& rate = {});

    // Codes one picture (bottom-up rows of width x 3 bytes, B, G, R) as one frame into `out`,
    // which holds at least WorstFrameBytes(width, height) bytes. The frame takes at most
    // `targetBytes` whenever the picture can be coded that small at all. An intra frame needs
    // nothing from earlier frames. Returns the frame's size in bytes.
    uint32_t Encode(const uint8_t* picture, bool intra, uint32_t targetBytes, std::span<uint8_t> out);

    // What a decoder shows after the last frame: top-down rows of width x 3 bytes, R, G, B.
    std::vector<uint8_t> Reconstruction() const;

private:
    // Counts the frames each block's picture has stood still: such blocks will likely stay, and
    // what is spent on them now is seen in the frames after too.
    void WeighStillBlocks();
    // The weight of a block's error against bits: 1, more for each frame it has stood still.
    float StillWeight(int block) const;
    void PlanIntraBooks(double lambda);
    void PlanInterBooks(double lambda);
    void RefineBooks(bool intra);
    void TrainIntraV1(const VqParams& params);
    // Indexes the usable entries for the searches, and those that moved; false when none is usable.
    bool IndexSearches(const Codebook& book, const std::bitset<kSlots>& usable, const std::bitset<kSlots>& moved);
    // Find each candidate block's nearest entries and their error. The entries the options hold
    // were the nearest ones before the entries in `moved` moved (all of them: not known).
    void EvaluateV1(const std::bitset<kSlots>& moved);
    void EvaluateV1On(std::span<const int> blocks, const std::bitset<kSlots>& moved);
    void EvaluateV4(const std::bitset<kSlots>& moved);
    // `everyBlock`: no block skips, so that the vectors chunk spends one flag bit a block (none
    // when every block is V1) instead of two; the codebooks are written as the frame's kind asks.
    RateControl::Fit ChooseModes(bool intra, uint32_t targetBytes, double guess, bool everyBlock = false);
    // Inter frames that code most blocks: coding all of them instead, when that costs less at
    // the chosen trade-off.
    void CodeEveryBlockIfCheaper(uint32_t targetBytes, double guess, RateControl::Fit& fit);
    // Squared error of the chosen modes; `weighted`: each block's by its weight against bits.
    double Distortion(bool weighted) const;
    // Squared error of the chosen modes plus `lambda` times the frame's bits.
    double Cost(const RateControl::Fit& fit, double lambda) const;
    // An intra frame that cannot fit its size codes every block V1 from a small codebook.
    void ShrinkIntra(uint32_t targetBytes, RateControl::Fit& fit);
    // The entries the frame writes take the values that draw the blocks using them best.
    void FitWrittenEntries(bool intra);
    // The pixels each entry draws under the chosen modes.
    void GatherMoments();
    static void FitEntries(const std::array<EntryMoments, kSlots>& moments, const std::bitset<kSlots>& movable,
                           Codebook& book);
    uint32_t Finish(bool intra, std::span<uint8_t> out);

    int width_;
    int height_;
    CinepakOptions options_;
    PictureAnalysis analysis_;
    VectorQuantizer quantizer_;
    RateControl rate_;
    RateSlope slope_;
    CodebookSearch search_;
    CodebookSearch movedSearch_;  // over the entries that moved

    Codebook v1_;  // as the decoder holds them after the last frame
    Codebook v4_;
    std::vector<uint8_t> picture_;  // the decoder's picture, block layout

    // This frame's candidates.
    Codebook work1_;
    Codebook work4_;
    std::bitset<kSlots> usable1_, usable4_;
    std::bitset<kSlots> changed1_, changed4_;  // inter frames: entries to write if used
    std::vector<int32_t> skipErrors_;
    std::vector<uint8_t> lastInput_;    // the last picture given, block layout
    std::vector<uint16_t> stillFrames_;  // of each block: frames its input has stood still
    std::vector<BlockOptions> blockOptions_;
    std::vector<int> v1Blocks_;  // blocks for which V1 is evaluated
    std::vector<int> v4Blocks_;
    std::vector<BlockMode> modes_;
    std::vector<BlockMode> savedModes_;  // while coding every block is tried
    std::vector<int> extraBlocks_;       // blocks that had no V1 option then
    std::vector<BlockCode> codes_;
    std::vector<VqVector> training_;
    std::vector<uint8_t> trainingNearest_;  // of each training vector
    std::array<EntryMoments, kSlots> moments1_, moments4_;  // of the pixels each entry draws

    CostRange sameTraining_;  // the trade-offs at which this frame's planning trains the same codebooks
    double lambda_;           // the last frame's trade-off, squared error per bit
    uint32_t frameCount_ = 0;
};

}  // namespace cinepak
