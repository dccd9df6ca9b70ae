// The compressor's parts checked on their own: the byte layout of hand-made frames, the
// decoder's colour arithmetic on worked figures, and the nearest search and the plane cuts and
// moments of codebook growth against brute force, and the fit of entries to the pixels they draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "cinepak/CinepakWriter.h"
#include "cinepak/CodebookSearch.h"
#include "cinepak/EntryFit.h"
#include "cinepak/PlaneCut.h"
#include "cinepak/VectorQuantizer.h"
#include "tests/cinepak/CinepakTestSupport.h"

using namespace cinepak;

namespace {

std::vector<uint8_t> Write(const FramePlan& plan) {
    std::vector<uint8_t> bytes(WorstFrameBytes(plan.width, plan.height));
    ByteSink sink(bytes);
    bytes.resize(WriteFrame(sink, plan));
    return bytes;
}

}  // namespace

TEST(CinepakParts, SmallestIntraFrameBytes) {
    Codebook v1, v4;
    v1.Set(0, {{10, 20, 30, 40}, -2, 3});
    const BlockCode block{BlockMode::V1, {0, 0, 0, 0}};
    FramePlan plan{.width = 4, .height = 4, .intra = true, .vectors = ChunkId::VectorsV1};
    plan.v1Chunk = {CodebookChunkKind::Full, 1, {}};
    plan.v1 = &v1;
    plan.v4 = &v4;
    plan.blocks = std::span(&block, 1);
    // Strip: 12 + 10 (codebook) + 5 (vectors) = 27, padded to 28; frame 38.
    const std::vector<uint8_t> expected{0x00, 0x00, 0x00, 0x26, 0x00, 0x04, 0x00, 0x04, 0x00, 0x01,  // frame
                                        0x10, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x04,
                                        0x22, 0x00, 0x00, 0x0A, 10,   20,   30,   40,   0xFE, 0x03,  // V1 codebook
                                        0x32, 0x00, 0x00, 0x06, 0x00, 0x00};  // vectors, 1 byte padding
    EXPECT_EQ(Write(plan), expected);
    ByteSink counter = ByteSink::Counting();
    EXPECT_EQ(WriteFrame(counter, plan), 38u);
    EXPECT_EQ(counter.Size(), 38u);
}

TEST(CinepakParts, InterFlagsCrossWordsAsDecodersReadThem) {
    // 33 blocks: 31 skipped, then a V4 block whose coded bit ends word 0 and whose V4 bit opens
    // word 1, then a V1 block whose two bits follow in word 1. Index bytes follow the word that
    // completes their block.
    Codebook v1, v4;
    std::vector<BlockCode> blocks(33);
    blocks[31] = {BlockMode::V4, {1, 2, 3, 4}};
    blocks[32] = {BlockMode::V1, {9, 0, 0, 0}};
    FramePlan plan{.width = 132, .height = 4, .intra = false, .vectors = ChunkId::VectorsInter};
    plan.v1 = &v1;
    plan.v4 = &v4;
    plan.blocks = blocks;
    const std::vector<uint8_t> frame = Write(plan);
    ASSERT_EQ(frame.size(), 10u + 32u);  // strip: 12 + 4 + 8 + 5 = 29, padded to 32
    const std::vector<uint8_t> chunk(frame.begin() + 22, frame.end());
    const std::vector<uint8_t> expected{0x31, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x01, 0xC0, 0x00,
                                        0x00, 0x00, 1,    2,    3,    4,    9,    0,    0,    0};
    EXPECT_EQ(chunk, expected);
}

TEST(CinepakParts, PartialCodebookHasAMaskPerGroupUpToTheLast) {
    Codebook v1, v4;
    v4.Set(1, {{1, 2, 3, 4}, 5, 6});
    v4.Set(40, {{7, 8, 9, 10}, -1, -2});
    const BlockCode block{BlockMode::V4, {1, 40, 1, 40}};
    FramePlan plan{.width = 4, .height = 4, .intra = false, .vectors = ChunkId::VectorsIntra};
    plan.v4Chunk.kind = CodebookChunkKind::Partial;
    plan.v4Chunk.slots[1] = plan.v4Chunk.slots[40] = true;
    plan.v1 = &v1;
    plan.v4 = &v4;
    plan.blocks = std::span(&block, 1);
    const std::vector<uint8_t> frame = Write(plan);
    const std::vector<uint8_t> chunk(frame.begin() + 22, frame.begin() + 22 + 24);
    const std::vector<uint8_t> expected{0x21, 0x00, 0x00, 0x18, 0x40, 0x00, 0x00, 0x00, 1, 2,    3,    4,
                                        5,    6,    0x00, 0x80, 0x00, 0x00, 7,    8,    9, 10,   0xFF, 0xFE};
    EXPECT_EQ(chunk, expected);
    EXPECT_EQ(CodebookChunkBytes(plan.v4Chunk), 24u);
}

TEST(CinepakParts, EntryColoursAsFfmpegDecodesThem) {
    // R = Y + 2V, G = Y - U/2 - V with U/2 truncated toward zero, B = Y + 2U, clamped.
    const EntryPixels pixels = DecodeEntry({{100, 0, 250, 128}, -3, 5});
    const std::array<uint8_t, 12> expected{110, 96, 94, 10, 0, 0, 255, 246, 244, 138, 124, 122};
    EXPECT_EQ(pixels, expected);
}

TEST(CinepakParts, UniformAreasRoundTripThroughAnEntry) {
    for (const auto& [r, g, b] : {std::array{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0},
                                 {200, 120, 40}, {13, 77, 190}}) {
        std::array<uint8_t, 12> area;
        for (int p = 0; p < 4; ++p) {
            area[3 * p] = uint8_t(r);
            area[3 * p + 1] = uint8_t(g);
            area[3 * p + 2] = uint8_t(b);
        }
        VqSums sums;
        sums.Add(AreaVector(area.data()));
        const EntryPixels pixels = DecodeEntry(EntryFromSums(sums));
        for (int i = 0; i < 12; ++i) EXPECT_NEAR(pixels[i], area[i], 2) << r << "," << g << "," << b;
    }
}

// The pixels drawn by each luma value of an entry: `count` of them, of colours around `rgb`.
struct DrawnPixels {
    std::array<std::vector<std::array<uint8_t, 3>>, 4> byLuma;
    EntryMoments moments;

    int64_t Squares() const {
        int64_t sum = 0;
        for (const auto& pixels : byLuma)
            for (const auto& p : pixels) sum += p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
        return sum;
    }
    // As the decoder draws them with `entry`.
    int64_t Error(const CodebookEntry& entry) const {
        const EntryPixels decoded = DecodeEntry(entry);
        int64_t sum = 0;
        for (int k = 0; k < 4; ++k)
            for (const auto& p : byLuma[k])
                for (int c = 0; c < 3; ++c) sum += (decoded[3 * k + c] - p[c]) * (decoded[3 * k + c] - p[c]);
        return sum;
    }
    void Add(int luma, const std::array<uint8_t, 3>& rgb) {
        byLuma[luma].push_back(rgb);
        moments.Add(luma, rgb.data());
    }
    // The entry the training space gives them.
    CodebookEntry Trained() const {
        VqSums sums;
        for (const auto& pixels : byLuma)
            for (const auto& p : pixels) {
                std::array<uint8_t, 12> area;
                for (int i = 0; i < 4; ++i) std::copy_n(p.data(), 3, area.data() + 3 * i);
                sums.Add(AreaVector(area.data()));
            }
        return EntryFromSums(sums);
    }
};

TEST(CinepakParts, EntryFitIsExactAndNeverWorse) {
    std::mt19937 random(19);
    for (int trial = 0; trial < 200; ++trial) {
        // Dark, tinted and saturated colours, where the decoder's clamp matters, among plain ones.
        std::uniform_int_distribution<int> centre(0, 255), spread(0, trial % 3 == 0 ? 4 : 40), count(1, 6);
        std::array<int, 3> base{};
        for (int& c : base) c = trial % 4 == 0 ? centre(random) / 8 : trial % 4 == 1 ? 255 - centre(random) / 8 : centre(random);
        DrawnPixels drawn;
        for (int k = 0; k < 4; ++k)
            for (int n = count(random); n > 0; --n) {
                std::array<uint8_t, 3> p;
                for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::clamp(base[c] + spread(random) - spread(random), 0, 255));
                drawn.Add(k, p);
            }
        const CodebookEntry start = drawn.Trained();
        ASSERT_EQ(EntryFitError(drawn.moments, start) + drawn.Squares(), drawn.Error(start)) << trial;
        const CodebookEntry fitted = FitEntry(drawn.moments, start);
        const int64_t error = drawn.Error(fitted);
        EXPECT_EQ(EntryFitError(drawn.moments, fitted) + drawn.Squares(), error) << trial;
        EXPECT_LE(error, drawn.Error(start)) << trial;
        // For its chroma, every luma value is the best one.
        for (int k = 0; k < 4; ++k)
            for (int y = 0; y < 256; ++y) {
                CodebookEntry other = fitted;
                other.y[k] = uint8_t(y);
                ASSERT_GE(drawn.Error(other), error) << trial << " luma " << k << " = " << y;
            }
    }
}

TEST(CinepakParts, NearestSearchAgreesWithBruteForce) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> luma(-600, 2100), chroma(-760, 760);
    const auto randomVector = [&] {
        VqVector v;
        for (int d = 0; d < 4; ++d) v.c[d] = int16_t(luma(random));
        v.c[4] = int16_t(chroma(random));
        v.c[5] = int16_t(chroma(random));
        return v;
    };
    for (const int count : {1, 2, 17, 256}) {
        std::array<VqVector, kSlots> book;
        for (int i = 0; i < count; ++i) book[i] = randomVector();
        CodebookSearch search;
        search.BuildFirst(book, count);
        for (int q = 0; q < 500; ++q) {
            const VqVector query = randomVector();
            int32_t best = VqDistance(query, book[0]);
            for (int i = 1; i < count; ++i) best = std::min(best, VqDistance(query, book[i]));
            const VqMatch match = search.Nearest(query);
            ASSERT_EQ(match.distance, best);
            ASSERT_EQ(VqDistance(query, book[match.slot]), best);
        }
    }
}

TEST(CinepakParts, QuantiserFindsDistinctClustersExactly) {
    // Three colours, many copies each: three entries, each reproducing its colour.
    std::vector<VqVector> training;
    const std::array<CodebookEntry, 3> colours{CodebookEntry{{10, 20, 30, 40}, 5, -5},
                                               CodebookEntry{{200, 200, 200, 200}, 0, 0},
                                               CodebookEntry{{90, 90, 10, 10}, -20, 30}};
    for (int copy = 0; copy < 50; ++copy)
        for (const CodebookEntry& colour : colours) training.push_back(VectorOfEntry(colour));
    VectorQuantizer quantizer(training.size());
    std::array<CodebookEntry, kSlots> entries;
    MemberCounts members;
    const int count = quantizer.Train(training, {0, kSlots, 2}, entries, members);
    ASSERT_EQ(count, 3);
    for (const CodebookEntry& colour : colours)
        EXPECT_NE(std::find(entries.begin(), entries.begin() + 3, colour), entries.begin() + 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(members[i], 50);
    // An entry must pay for itself: with a high enough cost, one entry serves all.
    EXPECT_EQ(quantizer.Train(training, {1e12, kSlots, 2}, entries, members), 1);
}

TEST(CinepakParts, PlaneCutsAndMomentsAgreeWithBruteForce) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> component(-32768, 32767), normal(-8191, 8191), threshold(-1 << 29, 1 << 29);
    const auto below = [](const VqVector& v, const Plane& plane) {
        int64_t side = 0;
        for (int d = 0; d < 6; ++d) side += int64_t(plane.normal[d]) * v.c[d];
        return side < plane.threshold;
    };
    // Sizes around the four-at-a-time steps; extreme components as well as ordinary ones.
    for (const size_t size : {1, 3, 4, 7, 64, 1001}) {
        std::vector<VqVector> vectors(size);
        for (VqVector& v : vectors)
            for (int d = 0; d < 6; ++d)
                v.c[d] = int16_t(random() % 4 == 0 ? (random() % 2 ? 32767 : -32768) : component(random));
        VqMoments expectedMoments;
        for (const VqVector& v : vectors) {
            expectedMoments.sums.Add(v);
            for (int d = 0; d < 6; ++d) expectedMoments.squares[d] += int64_t(v.c[d]) * v.c[d];
        }
        const VqMoments moments = MomentsOf(vectors);
        ASSERT_EQ(moments.sums.count, expectedMoments.sums.count);
        ASSERT_EQ(moments.sums.sum, expectedMoments.sums.sum);
        ASSERT_EQ(moments.squares, expectedMoments.squares);
        for (int trial = 0; trial < 20; ++trial) {
            Plane plane;
            for (int d = 0; d < 6; ++d) plane.normal[d] = int16_t(normal(random));
            plane.threshold = threshold(random);
            VqSums expected;
            for (const VqVector& v : vectors)
                if (below(v, plane)) {
                    for (int d = 0; d < 6; ++d) expected.sum[d] += v.c[d];
                    ++expected.count;
                }
            const VqSums sums = SumBelow(vectors, plane);
            ASSERT_EQ(sums.count, expected.count);
            ASSERT_EQ(sums.sum, expected.sum);

            std::vector<VqVector> moved = vectors, scratch(size);
            ASSERT_EQ(PartitionBelow(moved, plane, scratch), size_t(expected.count));
            for (size_t i = 0; i < size; ++i) ASSERT_EQ(below(moved[i], plane), i < size_t(expected.count));
            const auto order = [](const VqVector& a, const VqVector& b) { return a.c < b.c; };
            std::vector<VqVector> before = vectors;
            std::sort(before.begin(), before.end(), order);
            std::sort(moved.begin(), moved.end(), order);
            ASSERT_TRUE(std::equal(before.begin(), before.end(), moved.begin(),
                                   [](const VqVector& a, const VqVector& b) { return a.c == b.c; }));
        }
    }
}

TEST(CinepakParts, CutPlanesSeparateAsTheyShould) {
    // Component 2 of 1, 2, 3, 4 has the mean 2.5; of -3, -2 the mean -2.5.
    const Plane positive = MeanPlane(2, 10, 4);
    const Plane negative = MeanPlane(2, -5, 2);
    for (const auto& [value, plane, expected] :
         {std::tuple{2, positive, true}, {3, positive, false}, {-3, negative, true}, {-2, negative, false}}) {
        VqVector v;
        v.c[2] = int16_t(value);
        EXPECT_EQ(SumBelow(std::span(&v, 1), plane).count, expected ? 1 : 0) << value;
    }

    // Vectors clearly nearer (under the weighted distance) to one of two means fall on its side.
    std::mt19937 random(12);
    std::uniform_int_distribution<int> component(-700, 2100);
    for (int trial = 0; trial < 200; ++trial) {
        VqSums left, right;
        left.count = 3;
        right.count = 5;
        for (int d = 0; d < 6; ++d) {
            left.sum[d] = 3 * component(random);
            right.sum[d] = 5 * component(random);
        }
        const Plane plane = Bisector(left, right);
        for (int probe = 0; probe < 20; ++probe) {
            VqVector v;
            double toLeft = 0, toRight = 0;
            for (int d = 0; d < 6; ++d) {
                v.c[d] = int16_t(component(random));
                toLeft += kVqWeights[d] * std::pow(v.c[d] - left.sum[d] / 3.0, 2);
                toRight += kVqWeights[d] * std::pow(v.c[d] - right.sum[d] / 5.0, 2);
            }
            if (std::abs(toLeft - toRight) < 0.01 * (toLeft + toRight)) continue;  // near the plane: rounding decides
            EXPECT_EQ(SumBelow(std::span(&v, 1), plane).count, toLeft < toRight ? 1 : 0);
        }
    }
}
