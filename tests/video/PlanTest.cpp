// Geometry and frame-rate plan: worked figures checked by hand.
#include <gtest/gtest.h>

#include "video/FrameReduction.h"
#include "video/MovieEncoder.h"

namespace {

VideoInfoHeader Format(int32_t width, int32_t height, int64_t avgTimePerFrame) {
    VideoInfoHeader format;
    format.AvgTimePerFrame = avgTimePerFrame;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biSizeImage = uint32_t(((width * 3 + 3) & ~3) * height);
    return format;
}

struct Request {
    Trims trims;
    bool autoTrim = false;
    int32_t width = -1, height = -1;
    int32_t frameRateMode = -1;
    int32_t bitrate = 120;
};

// Plans a format with a request; the encoder is returned for its plan.
std::unique_ptr<MovieEncoder> Planned(const VideoInfoHeader& format, const Request& request, bool* ok = nullptr) {
    auto encoder = std::make_unique<MovieEncoder>();
    EXPECT_TRUE(encoder->SetParameters(request.trims, request.autoTrim, request.width, request.height,
                                       request.frameRateMode, 3, request.bitrate));
    const bool planned = encoder->SetupVideo(format);
    if (ok)
        *ok = planned;
    else
        EXPECT_TRUE(planned);
    return encoder;
}

TEST(VideoPlan, SourceRateFromFrameDuration) {
    const auto encoder = Planned(Format(240, 160, 333667), {.frameRateMode = 0});
    const VideoPlan& plan = encoder->Plan();
    EXPECT_EQ(plan.rateNumerator, 29970u);
    EXPECT_EQ(plan.rateDenominator, 1000u);
    EXPECT_EQ(plan.frameStep, 32884u);
}

TEST(VideoPlan, AutomaticRateHalvesNtscAndKeepsFifteen) {
    auto ntsc = Planned(Format(240, 160, 333667), {});
    EXPECT_EQ(ntsc->Plan().frameRateMode, -1);
    EXPECT_EQ(ntsc->Plan().decimationDivisor, 2u);
    EXPECT_EQ(ntsc->Plan().rateNumerator, 29970u);
    EXPECT_EQ(ntsc->Plan().rateDenominator, 2000u);
    EXPECT_EQ(ntsc->Plan().frameStep, 16442u);
    EXPECT_EQ(ntsc->Plan().averageFrameBytes, 8200u);

    auto pal = Planned(Format(240, 160, 400000), {});
    EXPECT_EQ(pal->Plan().decimationDivisor, 2u);
    EXPECT_EQ(pal->Plan().rateNumerator, 25000u);
    EXPECT_EQ(pal->Plan().rateDenominator, 2000u);
    EXPECT_EQ(pal->Plan().frameStep, 13715u);

    EXPECT_EQ(Planned(Format(240, 160, 166833), {})->Plan().decimationDivisor, 4u);

    auto fifteen = Planned(Format(240, 160, 666666), {});
    EXPECT_EQ(fifteen->Plan().rateNumerator, 15000u);
    EXPECT_EQ(fifteen->Plan().frameRateMode, 0);
    EXPECT_EQ(fifteen->Plan().frameStep, 16458u);
    EXPECT_EQ(fifteen->Plan().averageFrameBytes, 8192u);
}

TEST(VideoPlan, EighteenPointSevenFiveKeepsEveryFrameByExtendedPrecision) {
    auto encoder = Planned(Format(240, 160, 533333), {});
    EXPECT_EQ(encoder->Plan().rateNumerator, 18750u);
    EXPECT_EQ(encoder->Plan().frameRateMode, -1);
    EXPECT_EQ(encoder->Plan().decimationDivisor, 1u);
}

TEST(VideoPlan, ProbedRateStandsInForAMissingDuration) {
    auto encoder = std::make_unique<MovieEncoder>();
    ASSERT_TRUE(encoder->SetParameters({}, false, -1, -1, 0, 3, 120));
    encoder->SetProbedRate(30, 1);
    ASSERT_TRUE(encoder->SetupVideo(Format(240, 160, 0)));
    EXPECT_EQ(encoder->Plan().rateNumerator, 30u);
    EXPECT_EQ(encoder->Plan().rateDenominator, 1u);
    EXPECT_EQ(encoder->Plan().frameStep, 32917u);

    bool ok = true;
    Planned(Format(240, 160, 0), {}, &ok);
    EXPECT_FALSE(ok) << "no duration and no probe result";
}

TEST(VideoPlan, FixedReductionsScaleTheRate) {
    auto encoder = Planned(Format(240, 160, 333667), {.frameRateMode = 7, .bitrate = 500});
    EXPECT_EQ(encoder->Plan().frameRateMode, -1);
    EXPECT_EQ(encoder->Plan().decimationDivisor, 5u);
    EXPECT_EQ(encoder->Plan().rateDenominator, 5000u);
    EXPECT_EQ(encoder->Plan().averageFrameBytes, 85418u) << "500 x 5000 x 1024 needs 64 bits";

    auto twoOfFive = Planned(Format(240, 160, 333667), {.frameRateMode = 4});
    EXPECT_EQ(twoOfFive->Plan().frameRateMode, 4);
    EXPECT_EQ(twoOfFive->Plan().rateNumerator, 59940u);
    EXPECT_EQ(twoOfFive->Plan().rateDenominator, 5000u);
}

// More frames than the display's 59.727 refreshes a second cannot all be shown: the smallest
// whole divisor that leaves at most one frame per refresh (frame step 0x10000) thins them, in
// every mode.
TEST(VideoPlan, RatesAboveTheDisplayAreThinnedToOneFramePerRefresh) {
    const auto unchanged240 = Planned(Format(240, 160, 41667), {.frameRateMode = 0});  // 239.998 fps
    EXPECT_EQ(unchanged240->Plan().refreshDivisor, 5u) << "one in 4 would still be 60 fps";
    EXPECT_EQ(unchanged240->Plan().rateDenominator, 5000u);
    EXPECT_EQ(unchanged240->Plan().frameStep, 52668u);
    EXPECT_EQ(unchanged240->Plan().averageFrameBytes, 2560u) << "the bitrate holds: 120 KB/s at 48 fps";

    const auto fourOfFive240 = Planned(Format(240, 160, 41667), {.frameRateMode = 1});  // 191.998 fps
    EXPECT_EQ(fourOfFive240->Plan().refreshDivisor, 4u);
    EXPECT_EQ(fourOfFive240->Plan().frameStep, 52668u);

    const auto unchanged1000 = Planned(Format(240, 160, 10000), {.frameRateMode = 0});
    EXPECT_EQ(unchanged1000->Plan().refreshDivisor, 17u) << "1000 / 16 = 62.5 fps";
    EXPECT_EQ(unchanged1000->Plan().frameStep, 64544u);

    const auto unchanged5994 = Planned(Format(240, 160, 166833), {.frameRateMode = 0});
    EXPECT_EQ(unchanged5994->Plan().refreshDivisor, 2u) << "59.94 fps is a little above 59.727";
    EXPECT_EQ(unchanged5994->Plan().frameStep, 32884u);

    const auto unchanged30 = Planned(Format(240, 160, 333667), {.frameRateMode = 0});
    EXPECT_EQ(unchanged30->Plan().refreshDivisor, 1u);
}

// Which deliveries become records, worked by hand: the mode's kept frames, then the last of
// every refreshDivisor of them; over any length as many as the stream's frame count says.
TEST(FrameReduction, RecordsAreTheLastOfEveryRefreshDivisorKeptFrames) {
    struct Worked {
        int32_t mode;
        uint32_t decimation, refresh;
        std::vector<uint32_t> records;  // deliveries 1..24 that become records
    };
    const Worked worked[] = {
        {0, 0, 5, {5, 10, 15, 20}},
        {1, 0, 4, {4, 9, 14, 19, 24}},       // keeps 1-4, 6-9, ...: every 4th of them
        {4, 0, 3, {6, 13, 21}},              // keeps 1 3 6 8 11 13 16 18 21 23
        {5, 0, 2, {4, 10, 16, 22}},          // keeps 1 4 7 10 ...
        {-1, 3, 2, {6, 12, 18, 24}},         // keeps 3 6 9 ...
        {3, 0, 1, {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23}},
    };
    for (const Worked& w : worked) {
        VideoPlan plan;
        plan.frameRateMode = w.mode;
        plan.decimationDivisor = w.decimation;
        plan.refreshDivisor = w.refresh;
        std::vector<uint32_t> records;
        for (uint32_t n = 1; n <= 24; ++n) {
            if (KeepsDelivery(plan, n)) records.push_back(n);
            EXPECT_EQ(WrittenFrameCount(plan, n), records.size()) << "mode " << w.mode << ", " << n << " frames";
        }
        EXPECT_EQ(records, w.records) << "mode " << w.mode;
    }
}

TEST(VideoPlan, AutomaticTrimmingCutsToThreeByTwo) {
    auto tall = Planned(Format(320, 240, 400000), {.autoTrim = true});
    EXPECT_EQ(tall->Plan().trimTop, 14);
    EXPECT_EQ(tall->Plan().trimBottom, 14);
    EXPECT_EQ(tall->Plan().CropWidth(), 320);
    EXPECT_EQ(tall->Plan().CropHeight(), 212);
    EXPECT_EQ(tall->Plan().outputWidth, 240);
    EXPECT_EQ(tall->Plan().outputHeight, 160);

    auto wide = Planned(Format(640, 360, 400000), {.autoTrim = true});
    EXPECT_EQ(wide->Plan().trimLeft, 50);
    EXPECT_EQ(wide->Plan().trimRight, 50);

    auto exact = Planned(Format(720, 480, 400000), {.autoTrim = true});
    EXPECT_EQ(exact->Plan().trimTop + exact->Plan().trimBottom + exact->Plan().trimLeft + exact->Plan().trimRight, 0);

    auto margins = Planned(Format(320, 240, 400000), {.trims = {0, 10, 0, 10}, .autoTrim = true});
    EXPECT_EQ(margins->Plan().trimTop, 14);
    EXPECT_EQ(margins->Plan().trimBottom, 14);
    EXPECT_EQ(margins->Plan().CropHeight(), 212);
}

TEST(VideoPlan, AutomaticTrimmingNeverLeavesTheFrame) {
    // round4 overshoots these crops: 151 x 100 would want 152 columns, 321 x 214 would want 216 rows.
    auto wide = Planned(Format(151, 100, 400000), {.autoTrim = true});
    EXPECT_GE(wide->Plan().trimLeft, 0);
    EXPECT_GE(wide->Plan().trimRight, 0);
    EXPECT_EQ(wide->Plan().CropWidth(), 148);
    auto tall = Planned(Format(321, 214, 400000), {.autoTrim = true});
    EXPECT_GE(tall->Plan().trimTop, 0);
    EXPECT_GE(tall->Plan().trimBottom, 0);
    EXPECT_EQ(tall->Plan().CropHeight(), 212);
}

TEST(VideoPlan, AutomaticSizeFollowsTheCropAspect) {
    const struct {
        int32_t width, height, outWidth, outHeight;
    } cases[] = {{320, 240, 212, 160}, {176, 144, 196, 160}, {720, 576, 200, 160}, {640, 360, 240, 136}};
    for (const auto& c : cases) {
        const auto encoder = Planned(Format(c.width, c.height, 400000), {});
        const VideoPlan& plan = encoder->Plan();
        EXPECT_EQ(plan.outputWidth, c.outWidth) << c.width << " x " << c.height;
        EXPECT_EQ(plan.outputHeight, c.outHeight) << c.width << " x " << c.height;
    }
    auto encoder = Planned(Format(320, 240, 400000), {});
    EXPECT_EQ(encoder->ScaledFrame().size(), 212u * 160u * 3u);
}

TEST(VideoPlan, UnusableFormatsAreRefused) {
    auto refused = [](VideoInfoHeader format, Request request = {}) {
        bool ok = true;
        Planned(format, request, &ok);
        return !ok;
    };
    VideoInfoHeader planar = Format(240, 160, 400000);
    planar.bmiHeader.biPlanes = 2;
    EXPECT_TRUE(refused(planar));
    VideoInfoHeader thirtyTwoBit = Format(240, 160, 400000);
    thirtyTwoBit.bmiHeader.biBitCount = 32;
    EXPECT_TRUE(refused(thirtyTwoBit));
    VideoInfoHeader compressed = Format(240, 160, 400000);
    compressed.bmiHeader.biCompression = 0x47504A4D;
    EXPECT_TRUE(refused(compressed));
    EXPECT_TRUE(refused(Format(240, -160, 400000))) << "top-down frames";
    EXPECT_TRUE(refused(Format(240, 160, 10'000'000'001))) << "rate numerator 0";
    EXPECT_TRUE(refused(Format(240, 160, 400000), {.trims = {120, 0, 120, 0}})) << "no columns left";
    EXPECT_TRUE(refused(Format(240, 160, 400000), {.trims = {0, 100, 0, 60}})) << "no rows left";
    EXPECT_TRUE(refused(Format(240, 160, 400000), {.trims = {-4, 0, 0, 0}})) << "crop outside the frame";
    EXPECT_TRUE(refused(Format(4000, 2, 400000))) << "automatic height 0";
    EXPECT_TRUE(refused(Format(2, 4000, 400000))) << "automatic width 0";
    // 1.3 frames a day: a frame step of 0 would leave the sound without length.
    VideoInfoHeader slow = Format(240, 160, 0);
    auto encoder = std::make_unique<MovieEncoder>();
    ASSERT_TRUE(encoder->SetParameters({}, false, -1, -1, 0, 3, 120));
    encoder->SetProbedRate(1, 65536);
    EXPECT_FALSE(encoder->SetupVideo(slow));
}

TEST(VideoParameters, AcceptExactlyTheDocumentedRanges) {
    MovieEncoder encoder;
    EXPECT_TRUE(encoder.SetParameters({}, false, 240, 160, 7, 3, 1));
    EXPECT_TRUE(encoder.SetParameters({}, false, 4, 4, -1, 0, 500));
    EXPECT_FALSE(encoder.SetParameters({}, false, 238, 160, 0, 0, 120));
    EXPECT_FALSE(encoder.SetParameters({}, false, 244, 160, 0, 0, 120));
    EXPECT_FALSE(encoder.SetParameters({}, false, 240, 164, 0, 0, 120));
    EXPECT_FALSE(encoder.SetParameters({}, false, 0, 160, 0, 0, 120));
    EXPECT_FALSE(encoder.SetParameters({}, false, -2, 160, 0, 0, 120));
    EXPECT_FALSE(encoder.SetParameters({}, false, 240, 160, 8, 0, 120));
    EXPECT_FALSE(encoder.SetParameters({}, false, 240, 160, -2, 0, 120));
    EXPECT_FALSE(encoder.SetParameters({}, false, 240, 160, 0, 4, 120));
    EXPECT_FALSE(encoder.SetParameters({}, false, 240, 160, 0, 0, 0));
    EXPECT_FALSE(encoder.SetOutputFile(""));
    EXPECT_TRUE(encoder.SetOutputFile("/tmp/x"));
}

TEST(VideoParameters, RefusedParametersStoreNothing) {
    MovieEncoder encoder;
    ASSERT_TRUE(encoder.SetParameters({1, 2, 3, 4}, true, 120, 80, 3, 2, 200));
    ASSERT_FALSE(encoder.SetParameters({9, 9, 9, 9}, false, 240, 160, 0, 0, 0));
    EXPECT_EQ(encoder.Plan().trimLeft, 1);
    EXPECT_EQ(encoder.Plan().outputWidth, 120);
    EXPECT_EQ(encoder.Plan().bitrate, 200);
    EXPECT_TRUE(encoder.Plan().autoTrim);
}

}  // namespace
