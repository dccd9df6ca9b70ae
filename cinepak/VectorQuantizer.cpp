#include "cinepak/VectorQuantizer.h"

#include <algorithm>
#include <cassert>
#include <numeric>

namespace cinepak {

namespace {

// Two-means steps that settle each split; more changed little in trials on natural pictures.
constexpr int kSettleSteps = 2;

VqSums SumsOf(const std::array<int64_t, 6>& sum, int64_t count) {
    VqSums sums;
    sums.sum = sum;
    sums.count = count;
    return sums;
}

}  // namespace

void VectorQuantizer::Moments::Add(const VqVector& v) {
    for (int d = 0; d < 6; ++d) {
        sum[d] += v.c[d];
        sumSquares[d] += int64_t(v.c[d]) * v.c[d];
    }
    ++count;
}

double VectorQuantizer::Moments::Distortion() const {
    if (count == 0) return 0;
    double distortion = 0;
    for (int d = 0; d < 6; ++d)
        distortion += kVqWeights[d] * (double(sumSquares[d]) - double(sum[d]) * double(sum[d]) / double(count));
    return distortion;
}

VectorQuantizer::VectorQuantizer(size_t maxVectors) {
    order_.reserve(maxVectors);
    clusters_.reserve(2 * kSlots);
    leaves_.reserve(kSlots + 1);
}

uint32_t VectorQuantizer::PartitionByPlane(std::span<const VqVector> training, const Cluster& cluster,
                                           const std::array<double, 6>& normal, double threshold) {
    const auto first = order_.begin() + cluster.begin;
    const auto mid = std::partition(first, order_.begin() + cluster.end, [&](uint32_t index) {
        const VqVector& v = training[index];
        double side = 0;
        for (int d = 0; d < 6; ++d) side += normal[d] * v.c[d];
        return side < threshold;
    });
    return uint32_t(mid - order_.begin());
}

void VectorQuantizer::PlanSplit(std::span<const VqVector> training, Cluster& cluster) {
    cluster.gain = 0;
    const Moments& all = cluster.moments;
    if (all.count < 2) return;
    int widest = 0;
    double widestSpread = 0;
    for (int d = 0; d < 6; ++d) {
        const double spread =
            kVqWeights[d] * (double(all.sumSquares[d]) - double(all.sum[d]) * double(all.sum[d]) / double(all.count));
        if (spread > widestSpread) {
            widestSpread = spread;
            widest = d;
        }
    }
    if (widestSpread <= 0) return;  // every vector is the same

    std::array<double, 6> normal{};
    normal[widest] = 1;
    double threshold = double(all.sum[widest]) / double(all.count);
    for (int step = 0;; ++step) {
        cluster.mid = PartitionByPlane(training, cluster, normal, threshold);
        assert(cluster.mid > cluster.begin && cluster.mid < cluster.end);
        cluster.left = {};
        cluster.right = {};
        for (uint32_t i = cluster.begin; i < cluster.mid; ++i) cluster.left.Add(training[order_[i]]);
        for (uint32_t i = cluster.mid; i < cluster.end; ++i) cluster.right.Add(training[order_[i]]);
        if (step == kSettleSteps) break;
        // The plane halfway between the two means, under the weighted distance.
        threshold = 0;
        bool distinct = false;
        for (int d = 0; d < 6; ++d) {
            const double leftMean = double(cluster.left.sum[d]) / double(cluster.left.count);
            const double rightMean = double(cluster.right.sum[d]) / double(cluster.right.count);
            normal[d] = kVqWeights[d] * (rightMean - leftMean);
            threshold += normal[d] * (leftMean + rightMean) / 2;
            distinct = distinct || leftMean != rightMean;
        }
        if (!distinct) break;
    }
    cluster.gain = all.Distortion() - cluster.left.Distortion() - cluster.right.Distortion();
}

void VectorQuantizer::Grow(std::span<const VqVector> training, const VqParams& params) {
    order_.resize(training.size());
    std::iota(order_.begin(), order_.end(), 0u);
    clusters_.clear();
    leaves_.clear();
    Cluster root;
    root.end = uint32_t(training.size());
    for (const VqVector& v : training) root.moments.Add(v);
    PlanSplit(training, root);
    clusters_.push_back(root);
    leaves_.push_back(0);

    const auto lessGain = [this](uint32_t a, uint32_t b) {
        return clusters_[a].gain < clusters_[b].gain || (clusters_[a].gain == clusters_[b].gain && a > b);
    };
    const size_t maxLeaves = size_t(std::min(params.maxEntries, kSlots));
    while (leaves_.size() < maxLeaves) {
        const Cluster parent = clusters_[leaves_.front()];
        if (parent.gain <= 0 || parent.gain <= params.entryCost) break;
        std::pop_heap(leaves_.begin(), leaves_.end(), lessGain);
        leaves_.pop_back();
        Cluster left{.begin = parent.begin, .end = parent.mid, .moments = parent.left};
        Cluster right{.begin = parent.mid, .end = parent.end, .moments = parent.right};
        PlanSplit(training, left);
        PlanSplit(training, right);
        for (const Cluster& child : {left, right}) {
            clusters_.push_back(child);
            leaves_.push_back(uint32_t(clusters_.size() - 1));
            std::push_heap(leaves_.begin(), leaves_.end(), lessGain);
        }
    }
}

int VectorQuantizer::Train(std::span<const VqVector> training, const VqParams& params,
                           std::span<CodebookEntry, kSlots> entries, MemberCounts& members) {
    if (training.empty() || params.maxEntries < 1) return 0;
    Grow(training, params);
    std::sort(leaves_.begin(), leaves_.end(),
              [this](uint32_t a, uint32_t b) { return clusters_[a].begin < clusters_[b].begin; });
    const int count = int(leaves_.size());
    for (int i = 0; i < count; ++i) {
        const Moments& moments = clusters_[leaves_[i]].moments;
        entries[i] = EntryFromSums(SumsOf(moments.sum, moments.count));
        members[i] = int32_t(moments.count);
    }
    return Refine(training, params.lloydPasses, entries, count, members);
}

int VectorQuantizer::Refine(std::span<const VqVector> training, int passes, std::span<CodebookEntry, kSlots> entries,
                            int count, MemberCounts& members) {
    std::array<VqVector, kSlots> vectors;
    std::array<VqSums, kSlots> sums;
    for (int pass = 0; pass < passes && count > 0; ++pass) {
        for (int i = 0; i < count; ++i) {
            vectors[i] = VectorOfEntry(entries[i]);
            sums[i] = {};
        }
        search_.BuildFirst(vectors, count);
        for (const VqVector& v : training) sums[search_.Nearest(v).slot].Add(v);
        int kept = 0;
        for (int i = 0; i < count; ++i) {
            if (sums[i].count == 0) continue;
            entries[kept] = EntryFromSums(sums[i]);
            members[kept] = int32_t(sums[i].count);
            ++kept;
        }
        count = kept;
    }
    return count;
}

}  // namespace cinepak
