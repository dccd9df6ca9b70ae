// The movie stream: what the writer lays down and what the reader accepts or rejects.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "video/MovieStreamReader.h"
#include "video/MovieStreamWriter.h"
#include "tests/support/ScratchFolder.h"

namespace {

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One V1 codebook entry and an all-V1 vectors chunk for a 4 x 4 picture: 16 bytes.
const std::vector<uint8_t> kStrip = {0x22, 0x00, 0x00, 0x0A, 1, 2, 3, 4, 0, 0,
                                     0x32, 0x00, 0x00, 0x06, 0, 0};

class MovieStream : public testing::Test {
protected:
    // A finished stream of `frames` records and `blocks` audio blocks, 4 x 4 at 15 fps.
    std::vector<uint8_t> Finished(uint32_t frames, uint32_t blocks) {
        MovieStreamWriter writer;
        EXPECT_TRUE(writer.Create(path.string()));
        EXPECT_TRUE(writer.WriteHeader(16458, 4, 4));
        for (uint32_t i = 0; i < frames; ++i) EXPECT_TRUE(writer.WriteFrameRecord(i == 0 ? 0x1000 : 0x1100, kStrip));
        const std::vector<uint8_t> payload(blocks * 176, 0x08);
        EXPECT_TRUE(writer.WriteAudioBlock(blocks, payload));
        EXPECT_TRUE(writer.WriteFrameCount(frames));
        EXPECT_TRUE(writer.Close());
        return ReadFile(path);
    }

    ScratchFolder scratch;
    std::filesystem::path path = scratch.Path() / "stream";
};

TEST_F(MovieStream, HeaderIsLittleEndianCountStepAndSize) {
    MovieStreamWriter writer;
    ASSERT_TRUE(writer.Create(path.string()));
    ASSERT_TRUE(writer.WriteHeader(16458, 240, 160));
    ASSERT_TRUE(writer.Close());
    const std::vector<uint8_t> expected = {0x00, 0x00, 0x00, 0x00, 0x4A, 0x40, 0x00, 0x00, 0xF0, 0x00, 0xA0, 0x00};
    EXPECT_EQ(ReadFile(path), expected);
    const MovieStreamCheck check = ReadMovieStream(expected);
    ASSERT_TRUE(check.ok) << check.error;
    EXPECT_FALSE(check.info.hasAudioBlock);
    EXPECT_EQ(check.info.width, 240);
    EXPECT_EQ(check.info.height, 160);
}

TEST_F(MovieStream, RecordsAndAudioBlockWalkToTheEnd) {
    const std::vector<uint8_t> bytes = Finished(3, 2);
    EXPECT_EQ(bytes.size(), 12u + 3 * 20 + 4 + 2 * 176);
    // Record header: length 20 (16 bytes of strip data + 4), then the strip id, both little-endian.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 12, bytes.begin() + 16), (std::vector<uint8_t>{20, 0, 0x00, 0x10}));
    const MovieStreamCheck check = ReadMovieStream(bytes);
    ASSERT_TRUE(check.ok) << check.error;
    EXPECT_EQ(check.info.frameCount, 3u);
    ASSERT_EQ(check.info.records.size(), 3u);
    EXPECT_EQ(check.info.records[1].offset, 32u);
    EXPECT_EQ(check.info.records[1].stripId, 0x1100);
    EXPECT_EQ(check.info.audioBlockCount, 2u);
    EXPECT_EQ(check.info.audioDataOffset, 12u + 60 + 4);
}

TEST_F(MovieStream, ReaderFindsTheStreamInsideAnImage) {
    std::vector<uint8_t> image(1024, 0xAB);
    const std::vector<uint8_t> stream = Finished(1, 1);
    image.insert(image.end(), stream.begin(), stream.end());
    const MovieStreamCheck check = ReadMovieStream(image, 1024);
    ASSERT_TRUE(check.ok) << check.error;
    EXPECT_EQ(check.info.records[0].offset, 12u);
    EXPECT_FALSE(ReadMovieStream(image, image.size() + 1).ok);
}

TEST_F(MovieStream, ReaderRejectsInconsistentStreams) {
    const std::vector<uint8_t> good = Finished(3, 2);

    std::vector<uint8_t> countTooLow = good;
    countTooLow[0] = 2;  // the third record would be read as the audio block
    EXPECT_FALSE(ReadMovieStream(countTooLow).ok);

    std::vector<uint8_t> countTooHigh = good;
    countTooHigh[0] = 4;
    EXPECT_FALSE(ReadMovieStream(countTooHigh).ok);

    const std::vector<uint8_t> cutShort(good.begin(), good.end() - 1);
    EXPECT_FALSE(ReadMovieStream(cutShort).ok);

    std::vector<uint8_t> trailing = good;
    trailing.push_back(0);
    const MovieStreamCheck trailingCheck = ReadMovieStream(trailing);
    EXPECT_FALSE(trailingCheck.ok);
    EXPECT_NE(trailingCheck.error.find("1 bytes follow"), std::string::npos) << trailingCheck.error;

    std::vector<uint8_t> overrun = good;
    overrun[12] = 0xF0;  // first record claims 240 bytes: it overruns into the audio
    overrun[13] = 0x0F;
    EXPECT_FALSE(ReadMovieStream(overrun).ok);

    std::vector<uint8_t> badChunk = good;
    badChunk[16 + 3] = 0x40;  // codebook chunk longer than its record
    EXPECT_FALSE(ReadMovieStream(badChunk).ok);

    EXPECT_FALSE(ReadMovieStream(std::vector<uint8_t>(11, 0)).ok);
    std::vector<uint8_t> uncounted = Finished(2, 0);
    uncounted[0] = 0;  // records present but never counted
    EXPECT_FALSE(ReadMovieStream(uncounted).ok);
}

TEST_F(MovieStream, FailedRecordWriteLeavesNoPartialRecord) {
    MovieStreamWriter writer;
    ASSERT_TRUE(writer.Create(path.string()));
    ASSERT_TRUE(writer.WriteHeader(16458, 4, 4));
    ASSERT_TRUE(writer.WriteFrameRecord(0x1000, kStrip));
    const std::vector<uint8_t> oversized(70000, 0);
    EXPECT_FALSE(writer.WriteFrameRecord(0x1100, oversized));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadFile(path).size(), 12u + 20);
    EXPECT_FALSE(writer.WriteFrameRecord(0x1000, kStrip)) << "closed";
}

}  // namespace
