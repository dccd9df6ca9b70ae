// H.264's loop filter is left out of the pictures nothing refers to only where the picture
// shrinks enough to hide it: there the handheld's pictures stay within 0.1 dB of the full
// decode's, and where it shrinks less the image is the full decode's byte for byte.
#include <gtest/gtest.h>

#include <cstdio>

#include "resources/sample/SampleScene.h"
#include "source/DecodingOptions.h"
#include "tests/job/JobTestSupport.h"
#include "tests/job/ShortcutQuality.h"

namespace {

ShortcutEffect LoopFilterEffect(const WorkerFolder& scratch, int width, int height) {
    const std::string movie = MakeMovie(scratch.Path(), "download.mp4", DownloadedSampleMovie(width, height, 24, 2));
    const ShortcutEffect effect = MeasureShortcut(movie, scratch.Path().string(), [](bool on) {
        ProcessDecodingOptions().leaveOutLoopFilter = on;
    });
    ProcessDecodingOptions().leaveOutLoopFilter = true;
    std::printf("%d x %d: the compressor's pictures %.2f dB from the full decode's; the handheld's %.3f dB, "
                "%.3f dB with the filter left out\n",
                width, height, effect.input, effect.withoutImage, effect.withImage);
    return effect;
}

TEST(LoopFilter, LeftOutOnlyWhereThePictureShrinksEnoughToHideIt) {
    WorkerFolder scratch;
    // 6 times the handheld's 240 x 160 each way: left out, and it shows.
    const ShortcutEffect large = LoopFilterEffect(scratch, 1440, 960);
    ASSERT_TRUE(large.ok);
    EXPECT_LT(large.input, 99.0) << "the loop filter was not left out";
    EXPECT_LT(large.Loss(), 0.1);
    // 4 times: the filter stays.
    const ShortcutEffect small = LoopFilterEffect(scratch, 960, 640);
    ASSERT_TRUE(small.ok);
    EXPECT_EQ(small.image, small.shortcutImage);
}

}  // namespace
