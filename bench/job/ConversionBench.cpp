// Converting 60-second 640 x 360 movies at 30 fps with the default settings (MPEG-1 with MP2
// sound, and MJPEG with PCM sound in AVI): the realtime factor on wall time (median of 3), and
// where the processor time goes, each stage measured in the same run; and what making the
// pictures for the unlit screen (--screen gba) costs against that, on the MPEG-1 movie.
extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>

#include "bench/job/ConversionStages.h"
#include "resources/sample/SampleScene.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr int kSeconds = 60;
constexpr int kFramesPerSecond = 30;
constexpr int kWidth = 640;
constexpr int kHeight = 360;

bool MakeMovie(const std::string& path, const char* container, AVCodecID video, AVCodecID audio) {
    FixtureMovie movie = SampleMovie(kWidth, kHeight, kFramesPerSecond, kSeconds);
    movie.container = container;
    movie.video->codec = video;
    movie.audio->codec = audio;
    std::string message;
    if (WriteFixtureMovie(path, movie, message) == FixtureStatus::Written) return true;
    std::printf("cannot make the movie: %s\n", message.c_str());
    return false;
}

}  // namespace

int main() {
    av_log_set_level(AV_LOG_ERROR);
    // A folder of this process's own: benchmarks run at the same time do not share files.
    const ScratchFolder folder;
    struct Movie {
        const char* name;
        const char* container;
        AVCodecID video, audio;
    };
    const Movie movies[] = {{"movie.mpg", "mpeg", AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MP2},
                            {"movie.avi", "avi", AV_CODEC_ID_MJPEG, AV_CODEC_ID_PCM_S16LE}};
    for (const Movie& movie : movies) {
        StageRun run{.movie = folder.File(movie.name), .output = folder.File("movie.gba"), .seconds = kSeconds,
                     .sourceWidth = kWidth, .sourceHeight = kHeight, .outputWidth = 240, .outputHeight = 136,
                     .frameBudget = 8192,  // 120 KB/s at the 15 fps the automatic rate keeps
                     .unlitScreen = movie.video == AV_CODEC_ID_MPEG1VIDEO};
        std::printf("\n%s: 60 s of 640 x 360 at 30 fps (%s)\n", movie.name, avcodec_get_name(movie.video));
        if (!MakeMovie(run.movie, movie.container, movie.video, movie.audio)) return 1;
        bool converted = true;
        const Cost whole = Median(3, [&] { converted = Convert(run.movie, run.output) && converted; });
        if (!converted) return 1;
        PrintConversionStages(run, whole);
    }
    return 0;
}
