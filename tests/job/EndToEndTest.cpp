// Movies through the whole conversion: the image's stream reads cleanly, the handheld shows
// every frame exactly as FFmpeg decodes it, and the sound plays.
#include <gtest/gtest.h>

#include "job/ConversionWorker.h"
#include "platform/RunState.h"
#include "preview/HandheldCore.h"
#include "tests/job/JobTestSupport.h"
#include "tests/player/PlayerRun.h"
#include "tests/player/ShownFrames.h"
#include "tests/player/TestCartridge.h"

namespace {

class EndToEnd : public testing::Test {
protected:
    // Converts `movie` and checks the image on the core.
    void ConvertAndPlay(const FixtureMovie& fixture, const char* name) {
        ConversionRequest request;
        request.moviePath = MakeMovie(scratch.Path(), name, fixture);
        request.outputPath = (scratch.Path() / "out.gba").string();
        ASSERT_EQ(RunWorker(request).returned, 0) << ErrorDetail;
        const std::vector<uint8_t> image = ReadBytes(request.outputPath);
        const MovieStreamCheck stream = ReadMovieStream(image, PlayerRom().size());
        ASSERT_TRUE(stream.ok) << stream.error;
        ASSERT_GT(stream.info.frameCount, 0u);
        EXPECT_TRUE(stream.info.hasAudioBlock);

        const ShownFramesCheck shown = CheckShownFrames(
            image, RecordsOf(image, PlayerRom().size(), stream.info), stream.info.width, stream.info.height);
        ASSERT_TRUE(shown.started);
        EXPECT_FALSE(shown.crashed);
        EXPECT_EQ(shown.recordsShown, stream.info.frameCount);
        for (const std::string& difference : shown.differences) ADD_FAILURE() << difference;

        // The fixture's tones reach the handheld's speaker.
        PlayerRun run(image);
        ASSERT_TRUE(run.RunUntilPass(1));
        int32_t peak = 0;
        for (int refresh = 0; refresh < 30; ++refresh) {
            run.Refresh();
            for (const int16_t sample : run.core().TakeSound()) peak = std::max<int32_t>(peak, std::abs(sample));
        }
        EXPECT_GT(peak, 1000) << "the sound is silent";
    }

    WorkerFolder scratch;
};

TEST_F(EndToEnd, AviPlaysAsDecoded) {
    ConvertAndPlay(SmallAvi(), "movie.avi");
}

TEST_F(EndToEnd, MpegPlaysAsDecoded) {
    ConvertAndPlay(ProgramStreamMovie(30), "movie.mpg");
}

}  // namespace
