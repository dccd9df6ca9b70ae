// The cartridge image: the player, then the stream, the title in the header; and what is
// left on disk when a file operation fails.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "job/AssembleRomImage.h"
#include "resources/Resources.h"
#include "tests/job/JobTestSupport.h"

namespace {

std::span<const uint8_t> Player() {
    return *FindModuleResource("BINARY", 130);
}

uint8_t Complement(const std::vector<uint8_t>& image) {
    unsigned sum = 0;
    for (size_t at = 0xA0; at < 0xBD; ++at) sum += image[at];
    return uint8_t(-(sum + 0x19));
}

class AssembleRomImageTest : public testing::Test {
protected:
    void SetUp() override {
        request.outputPath = (scratch.Path() / "out.gba").string();
        streamPath = (scratch.Path() / "stream.bin").string();
    }

    void WriteStream(size_t bytes) {
        std::ofstream out(streamPath, std::ios::binary);
        for (size_t i = 0; i < bytes; ++i) out.put(char(i * 7));
    }

    // Runs the assembly in a child process whose files may not grow beyond `limitBytes`.
    int AssembleWithFileLimit(rlim_t limitBytes) {
        const pid_t child = fork();
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{limitBytes, limitBytes};
            setrlimit(RLIMIT_FSIZE, &limit);
            _exit(AssembleRomImage(request, streamPath) - 1000);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) + 1000 : -1;
    }

    WorkerFolder scratch;
    ConversionRequest request;
    std::string streamPath;
};

TEST_F(AssembleRomImageTest, StreamFollowsThePlayerAndEmptyNameKeepsItsTitle) {
    WriteStream(1000);
    ASSERT_EQ(AssembleRomImage(request, streamPath), 0);
    const std::vector<uint8_t> image = ReadBytes(request.outputPath);
    ASSERT_EQ(image.size(), Player().size() + 1000);
    EXPECT_TRUE(std::equal(Player().begin(), Player().end(), image.begin()));
    EXPECT_EQ(image[Player().size() + 1], 7);
    EXPECT_EQ(Player().size() % 4, 0u);
}

TEST_F(AssembleRomImageTest, RomNameFillsTheTitleAndMendsTheComplement) {
    WriteStream(16);
    request.romName = "ABCDEFGHIJKL";
    ASSERT_EQ(AssembleRomImage(request, streamPath), 0);
    std::vector<uint8_t> image = ReadBytes(request.outputPath);
    EXPECT_EQ(std::string(image.begin() + 160, image.begin() + 172), "ABCDEFGHIJKL");
    EXPECT_NE(image[172], 0) << "a 12-byte name has no terminator: the next field follows";
    EXPECT_EQ(image[0xBD], Complement(image));

    request.romName = "カブ";  // two double-byte characters in Shift-JIS
    ASSERT_EQ(AssembleRomImage(request, streamPath), 0);
    image = ReadBytes(request.outputPath);
    EXPECT_EQ(std::vector<uint8_t>(image.begin() + 160, image.begin() + 172),
              (std::vector<uint8_t>{0x83, 0x4A, 0x83, 0x75, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(image[0xBD], Complement(image));
    // Nothing else of the player changes.
    for (size_t at = 0; at < Player().size(); ++at) {
        if ((at < 160 || at >= 172) && at != 0xBD) {
            ASSERT_EQ(image[at], Player()[at]) << at;
        }
    }
}

TEST_F(AssembleRomImageTest, CartridgeSpaceLimitIsReportedAfterWritingInFull) {
    WriteStream(kCartridgeLimitBytes - Player().size());
    EXPECT_EQ(AssembleRomImage(request, streamPath), 0);
    WriteStream(kCartridgeLimitBytes - Player().size() + 1);
    request.romName = "LONG";
    EXPECT_EQ(AssembleRomImage(request, streamPath), 1005);
    const std::vector<uint8_t> image = ReadBytes(request.outputPath);
    EXPECT_EQ(image.size(), kCartridgeLimitBytes + 1);
    EXPECT_EQ(image[160], 'L') << "the title is written all the same";
}

TEST_F(AssembleRomImageTest, UnreadableStreamLeavesThePlayerOnly) {
    EXPECT_EQ(AssembleRomImage(request, streamPath), 1004) << "no stream file";
    EXPECT_EQ(ReadBytes(request.outputPath).size(), Player().size());
    std::filesystem::create_directory(streamPath);
    EXPECT_EQ(AssembleRomImage(request, streamPath), 1006) << "a folder opens but cannot be read";
    EXPECT_EQ(ReadBytes(request.outputPath).size(), Player().size());
}

TEST_F(AssembleRomImageTest, FullDiskGivesTheStepThatFailed) {
    WriteStream(4000);
    EXPECT_EQ(AssembleWithFileLimit(Player().size() / 2), 1002);
    EXPECT_EQ(ReadBytes(request.outputPath).size(), Player().size() / 2) << "whatever was written stays";
    EXPECT_EQ(AssembleWithFileLimit(Player().size() + 1000), 1007);
    EXPECT_EQ(ReadBytes(request.outputPath).size(), Player().size() + 1000);
}

TEST_F(AssembleRomImageTest, UncreatableOutputIsLeftAlone) {
    WriteStream(16);
    request.outputPath = (scratch.Path() / "missing" / "out.gba").string();
    EXPECT_EQ(AssembleRomImage(request, streamPath), 1001);
    EXPECT_FALSE(std::filesystem::exists(request.outputPath));
}

}  // namespace
