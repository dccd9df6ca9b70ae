// The AVI frame-rate probe over hand-made RIFF files and over files FFmpeg wrote.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "source/AviProbe.h"
#include "tests/source/SourceTestSupport.h"

namespace {

std::string Le32(uint32_t value) {
    return {char(value & 0xFF), char(value >> 8 & 0xFF), char(value >> 16 & 0xFF), char(value >> 24 & 0xFF)};
}

std::string Chunk(const std::string& id, const std::string& data) {
    return id + Le32(uint32_t(data.size())) + data + (data.size() % 2 ? std::string(1, '\0') : "");
}

std::string List(const std::string& listId, const std::string& type, const std::string& content) {
    return Chunk(listId, type + content);
}

std::string MainHeader(uint32_t streams, size_t bytes = 56) {
    std::string data(bytes, '\0');
    data.replace(24, 4, Le32(streams));
    return Chunk("avih", data);
}

std::string StreamList(const std::string& type, uint32_t rate, uint32_t scale, size_t headerBytes = 56) {
    std::string data(headerBytes, '\0');
    data.replace(0, 4, type);
    data.replace(20, 4, Le32(scale));
    data.replace(24, 4, Le32(rate));
    return List("LIST", "strl", Chunk("strh", data) + Chunk("strf", std::string(40, '\0')));
}

std::string Avi(const std::string& headerContent) {
    return List("RIFF", "AVI ", List("LIST", "hdrl", headerContent) + List("LIST", "movi", ""));
}

struct Probed {
    bool found = false;
    uint32_t rate = 77;  // the outs keep these unless a video stream header is found
    uint32_t scale = 77;
};

class AviProbe : public ::testing::Test {
protected:
    Probed Probe(const std::string& bytes) {
        const std::string path = scratch.File("probe.avi");
        std::ofstream(path, std::ios::binary) << bytes;
        return ProbeFile(path);
    }
    static Probed ProbeFile(const std::string& path) {
        Probed probed;
        probed.found = ProbeAviFrameRate(path, probed.rate, probed.scale);
        return probed;
    }
    static void ExpectNothing(const Probed& probed) {
        EXPECT_FALSE(probed.found);
        EXPECT_EQ(probed.rate, 77u);
        EXPECT_EQ(probed.scale, 77u);
    }

    ScratchFolder scratch;
};

TEST_F(AviProbe, SoundStreamFirstGivesTheVideoStreamsRate) {
    const Probed probed = Probe(Avi(MainHeader(2) + StreamList("auds", 11025, 1) + StreamList("vids", 25, 1)));
    EXPECT_TRUE(probed.found);
    EXPECT_EQ(probed.rate, 25u);
    EXPECT_EQ(probed.scale, 1u);
}

TEST_F(AviProbe, FirstOfTwoVideoStreamsCounts) {
    const Probed probed = Probe(Avi(MainHeader(2) + StreamList("vids", 24, 1) + StreamList("vids", 30000, 1001)));
    EXPECT_TRUE(probed.found);
    EXPECT_EQ(probed.rate, 24u);
    EXPECT_EQ(probed.scale, 1u);
}

TEST_F(AviProbe, NtscRateIsReportedUnchecked) {
    const Probed probed = Probe(Avi(MainHeader(1) + StreamList("vids", 30000, 1001)));
    EXPECT_TRUE(probed.found);
    EXPECT_EQ(probed.rate, 30000u);
    EXPECT_EQ(probed.scale, 1001u);
}

TEST_F(AviProbe, OtherChunksOnTheWayAreSkipped) {
    const std::string junk = Chunk("JUNK", std::string(13, 'j'));  // odd size: a fill byte follows
    const Probed probed = Probe(List("RIFF", "AVI ",
                                     junk + List("LIST", "hdrl",
                                                 junk + MainHeader(2) + junk + List("LIST", "odml", "") +
                                                     StreamList("auds", 1, 1) + junk + StreamList("vids", 15, 1))));
    EXPECT_TRUE(probed.found);
    EXPECT_EQ(probed.rate, 15u);
}

TEST_F(AviProbe, HeadersOfAnotherSizeAreRefused) {
    ExpectNothing(Probe(Avi(MainHeader(2) + StreamList("auds", 11025, 1, 64) + StreamList("vids", 25, 1))));
    ExpectNothing(Probe(Avi(MainHeader(1) + StreamList("vids", 25, 1, 64))));
    ExpectNothing(Probe(Avi(MainHeader(1, 64) + StreamList("vids", 25, 1))));
}

TEST_F(AviProbe, NoStreamsOrNoVideoGiveNothing) {
    ExpectNothing(Probe(Avi(MainHeader(0) + StreamList("vids", 25, 1))));
    ExpectNothing(Probe(Avi(MainHeader(1) + StreamList("auds", 25, 1) + StreamList("vids", 25, 1))));
    ExpectNothing(Probe(Avi(MainHeader(3) + StreamList("auds", 25, 1))));
}

TEST_F(AviProbe, OtherFilesGiveNothing) {
    ExpectNothing(ProbeFile(scratch.File("missing.avi")));
    ExpectNothing(Probe(""));
    ExpectNothing(Probe("This is a text file, not a movie.\n"));
    ExpectNothing(Probe(List("RIFF", "WAVE", Chunk("fmt ", std::string(16, '\0')))));
    ExpectNothing(ProbeFile(scratch.File(".")));  // a folder
}

TEST_F(AviProbe, DamagedSizesEndTheSearch) {
    // A chunk claiming 4 GiB before the stream list, a list too short for its type, and a
    // stream count far beyond the lists present.
    ExpectNothing(Probe(List("RIFF", "AVI ",
                             List("LIST", "hdrl", MainHeader(1) + "JUNK" + Le32(0xFFFFFFFF) + StreamList("vids", 25, 1)))));
    ExpectNothing(Probe(List("RIFF", "AVI ", "LIST" + Le32(2) + "hd")));
    ExpectNothing(Probe(Avi(MainHeader(0xFFFFFFFF) + StreamList("auds", 1, 1) + StreamList("auds", 1, 1))));
    // Zero-sized chunks one after another still move the search forward.
    std::string zeros;
    for (int i = 0; i < 1000; ++i) zeros += Chunk("JUNK", "");
    ExpectNothing(Probe(List("RIFF", "AVI ", List("LIST", "hdrl", MainHeader(1) + zeros))));
}

TEST_F(AviProbe, EveryTruncationAndByteDamageEndsCleanly) {
    const std::string whole = Avi(MainHeader(2) + StreamList("auds", 11025, 1) + StreamList("vids", 25, 1));
    ASSERT_TRUE(Probe(whole).found);
    // Cut before the video stream header is complete: nothing, never a read past the end.
    const size_t videoHeaderEnd = whole.find("vids") + 56;
    for (size_t length = 0; length < videoHeaderEnd; ++length) EXPECT_FALSE(Probe(whole.substr(0, length)).found) << length;
    for (size_t position = 0; position < whole.size(); ++position) {
        std::string damaged = whole;
        damaged[position] = char(0xFF);
        Probe(damaged);  // any answer, as long as it ends without touching memory it must not
    }
}

TEST_F(AviProbe, FilesWrittenByFFmpeg) {
    const std::string avi = scratch.File("movie.avi");
    FixtureMovie movie;
    movie.video->frameRate = {24, 1};
    movie.video->frameCount = 3;
    movie.audio = FixtureAudio{.codec = AV_CODEC_ID_PCM_U8, .sampleRate = 11025, .channelMask = AV_CH_LAYOUT_MONO,
                               .toneHz = {440.0}, .sampleCount = 1000};
    movie.audioFirst = true;
    WRITE_FIXTURE(avi, movie);
    const Probed probed = ProbeFile(avi);
    EXPECT_TRUE(probed.found);
    EXPECT_EQ(uint64_t(probed.rate), uint64_t(probed.scale) * 24);

    const std::string mpeg = scratch.File("movie.mpg");
    FixtureMovie mpegMovie{.container = "mpeg"};
    mpegMovie.video->codec = AV_CODEC_ID_MPEG1VIDEO;
    mpegMovie.video->frameCount = 3;
    WRITE_FIXTURE(mpeg, mpegMovie);
    ExpectNothing(ProbeFile(mpeg));
}

}  // namespace
