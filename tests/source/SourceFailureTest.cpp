// Files the source cannot use: what building reports, and that nothing is left registered.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "platform/RunState.h"
#include "source/internal/DecodingPipeline.h"
#include "tests/source/SourceTestSupport.h"

namespace {

class SourceFailure : public ::testing::Test {
protected:
    void SetUp() override { ClearRunState(); }

    void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

    // Building fails, the graph is handed over all the same, and both sinks are let go.
    void ExpectBuildFails(const std::string& path, const std::string& detail) {
        std::unique_ptr<MovieEncoder> encoder = PlainEncoder();
        std::unique_ptr<SourceGraph> graph;
        EXPECT_FALSE(BuildSourceGraph(graph, path, *encoder));
        ASSERT_NE(graph, nullptr);
        EXPECT_FALSE(graph->VideoGrabber().HasCallback());
        EXPECT_FALSE(graph->AudioGrabber().HasCallback());
        EXPECT_EQ(ErrorDetail, detail);
    }

    ScratchFolder scratch;
};

TEST_F(SourceFailure, MissingFile) { ExpectBuildFails(scratch.File("missing.avi"), "No such file or directory"); }

TEST_F(SourceFailure, EmptyTextAndRandomFiles) {
    const std::string empty = scratch.File("empty.avi");
    WriteBytes(empty, "");
    ExpectBuildFails(empty, "Invalid data found when processing input");

    const std::string text = scratch.File("notes.avi");
    WriteBytes(text, "These are notes about a movie, not a movie.\nLine two.\n");
    ExpectBuildFails(text, "Invalid data found when processing input");

    const std::string noise = scratch.File("noise.avi");
    std::mt19937 generator(1234);
    std::string bytes(65536, '\0');
    for (char& byte : bytes) byte = char(generator());
    WriteBytes(noise, bytes);
    ExpectBuildFails(noise, "Invalid data found when processing input");
}

TEST_F(SourceFailure, FileWithoutVideo) {
    const std::string path = scratch.File("sound.avi");
    FixtureMovie movie{.video = std::nullopt, .audio = FixtureAudio{}};
    WRITE_FIXTURE(path, movie);
    ExpectBuildFails(path, "映像ストリームがありません");
}

TEST_F(SourceFailure, VideoThePlanRefuses) {
    // Margins wider than the picture leave nothing to encode.
    const std::string path = scratch.File("narrow.avi");
    FixtureMovie movie{.video = FixtureVideo{.width = 32, .height = 24, .frameCount = 2}, .audio = FixtureAudio{}};
    WRITE_FIXTURE(path, movie);
    MovieEncoder encoder;
    ASSERT_TRUE(encoder.SetParameters(Trims{.left = 16, .right = 16}, false, -1, -1, 0, 0, 120));
    std::unique_ptr<SourceGraph> graph;
    EXPECT_FALSE(BuildSourceGraph(graph, path, encoder));
    EXPECT_EQ(ErrorDetail, "未対応の映像フォーマットです\n切り取りの後に映像が残りません: 32 x 24 の映像から左右 16 + 16、上下 0 + 0");
    EXPECT_FALSE(graph->VideoGrabber().HasCallback());
    EXPECT_FALSE(graph->AudioGrabber().HasCallback());
}

TEST_F(SourceFailure, TruncatedFiles) {
    const std::string whole = scratch.File("whole.avi");
    FixtureMovie movie{.video = FixtureVideo{.width = 32, .height = 24, .frameCount = 20}};
    WRITE_FIXTURE(whole, movie);

    // Cut inside the headers: the file cannot be opened.
    const std::string headerOnly = scratch.File("header.avi");
    std::filesystem::copy_file(whole, headerOnly);
    std::filesystem::resize_file(headerOnly, 100);
    std::unique_ptr<MovieEncoder> encoder = PlainEncoder();
    std::unique_ptr<SourceGraph> graph;
    EXPECT_FALSE(BuildSourceGraph(graph, headerOnly, *encoder));
    EXPECT_FALSE(ErrorDetail.empty());

    // Cut halfway through the pictures: what is there is delivered, in order, and the run ends normally.
    const std::string half = scratch.File("half.avi");
    std::filesystem::copy_file(whole, half);
    std::filesystem::resize_file(half, std::filesystem::file_size(whole) / 2);
    ClearRunState();
    RecordedSource source;
    ASSERT_TRUE(source.Build(half)) << ErrorDetail;
    EXPECT_TRUE(RunSourceGraph(*source.graph));
    const size_t delivered = source.pictures.buffers.size();
    EXPECT_GT(delivered, 3u);
    EXPECT_LT(delivered, 20u);
    for (size_t index = 0; index < delivered; ++index)
        EXPECT_EQ(ReadFrameNumber(source.pictures.buffers[index], 32, 24), int(index));
}

TEST_F(SourceFailure, DamageInTheMiddleEndsLikeANormalEnd) {
    const std::string path = scratch.File("damaged.avi");
    FixtureMovie movie{.video = FixtureVideo{.codec = AV_CODEC_ID_MJPEG, .frameCount = 20}, .audio = FixtureAudio{}};
    WRITE_FIXTURE(path, movie);
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(std::streamoff(std::filesystem::file_size(path) / 2));
        const std::string damage(4096, char(0xFF));
        file.write(damage.data(), std::streamsize(damage.size()));
    }
    RecordedSource source;
    ASSERT_TRUE(source.Build(path)) << ErrorDetail;
    EXPECT_TRUE(RunSourceGraph(*source.graph));
    EXPECT_FALSE(AbortRequested);
    EXPECT_EQ(ErrorDetail, "");
    EXPECT_GT(source.pictures.count, 0u);
}

TEST_F(SourceFailure, GraphReleasedInEveryState) {
    // Built but never run, and dropped in the middle of a run: the sanitizer build checks
    // that threads and decoders go with the graph.
    const std::string path = scratch.File("drop.avi");
    FixtureMovie movie{.video = FixtureVideo{.codec = AV_CODEC_ID_MJPEG, .frameCount = 50}, .audio = FixtureAudio{}};
    WRITE_FIXTURE(path, movie);
    {
        RecordedSource source;
        ASSERT_TRUE(source.Build(path));
    }
    RecordedSource source;
    ASSERT_TRUE(source.Build(path));
    source.pictures.afterEach = [](size_t) { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
    ASSERT_EQ(source.graph->Pipeline().Run(), 0);
    source.graph.reset();
    EXPECT_LT(source.pictures.buffers.size(), 50u);
}

}  // namespace
