// Peak normalisation: the gains and results worked out by hand.
#include <gtest/gtest.h>

#include <vector>

#include "audio/PeakNormalizer.h"

namespace {

using Samples = std::vector<int16_t>;

Samples Normalized(Samples samples, int level = 100) {
    NormalizeSamples(samples, level);
    return samples;
}

TEST(PeakNormalizer, SilenceAndFullScaleStayUnchanged) {
    EXPECT_EQ(Normalized({}), Samples{});
    EXPECT_EQ(Normalized({0, 0, 0}), (Samples{0, 0, 0}));
    EXPECT_EQ(Normalized({32767, 5, -7}), (Samples{32767, 5, -7}));
    EXPECT_EQ(Normalized({-32768, 5, -7}), (Samples{-32768, 5, -7}));
}

TEST(PeakNormalizer, SingleSampleReachesFullScale) {
    EXPECT_EQ(Normalized({1}), Samples{32767});
    EXPECT_EQ(Normalized({-1}), Samples{-32768});
    EXPECT_EQ(Normalized({2}), Samples{32767});
}

TEST(PeakNormalizer, TheTighterPeakSetsTheGain) {
    // Positive peak first: gain 32767 / 16384; -16383.5 truncates toward zero.
    EXPECT_EQ(Normalized({16384, -8192}), (Samples{32767, -16383}));
    // Negative peak first: gain -32768 / -200 = 163.84.
    EXPECT_EQ(Normalized({100, -200}), (Samples{16384, -32768}));
}

TEST(PeakNormalizer, LevelScalesThePeak) {
    EXPECT_EQ(Normalized({100, -200}, 50), (Samples{8192, -16384}));
    // At full scale the gain is 1, which only level 100 leaves alone.
    EXPECT_EQ(Normalized({32767, -32768}, 50), (Samples{16383, -16384}));
}

// The double nearest 32767 / 5 lies below 6553.4, and the double 0.01 lies above 0.01 by a
// relative 2.1e-17: in extended precision 5 x factor stays at 32766.9999999999989, which
// truncates to 32766 (plain double rounds the product up to 32767.0000000000036).
TEST(PeakNormalizer, ExtendedPrecisionDecidesTheLastStep) {
    EXPECT_EQ(Normalized({5, -5}), (Samples{32766, -32766}));
    EXPECT_EQ(Normalized({49, -35}), (Samples{32766, -23404}));
}

}  // namespace
