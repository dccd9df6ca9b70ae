// The cartridge image: the player, then the stream, the title in the header; and what is
// left on disk when a file operation fails.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "job/AssembleRomImage.h"
#include "platform/AbortEvent.h"
#include "platform/RunState.h"
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

    void KeepExistingOutput() { std::ofstream(request.outputPath) << "keep"; }
    void ExpectOutputKept() {
        EXPECT_EQ(ReadBytes(request.outputPath), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
        EXPECT_TRUE(LeftoverImageFiles(scratch.Path()).empty()) << LeftoverImageFiles(scratch.Path()).front();
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
    EXPECT_EQ(ErrorDetail, "イメージは 33,554,433 バイトで、カートリッジの上限 33,554,432 バイトを超えています");
    const std::vector<uint8_t> image = ReadBytes(request.outputPath);
    EXPECT_EQ(image.size(), kCartridgeLimitBytes + 1);
    EXPECT_EQ(image[160], 'L') << "the title is written all the same";
}

// Every failure below leaves the existing output byte for byte and no image in the making.
TEST_F(AssembleRomImageTest, UnreadableStreamLeavesTheOutputAlone) {
    KeepExistingOutput();
    EXPECT_EQ(AssembleRomImage(request, streamPath), 1004) << "no stream file";
    ExpectOutputKept();
    std::filesystem::create_directory(streamPath);
    EXPECT_EQ(AssembleRomImage(request, streamPath), 1006) << "a folder opens but cannot be read";
    EXPECT_NE(ErrorDetail.find(streamPath + ": Is a directory"), std::string::npos) << ErrorDetail;
    ExpectOutputKept();
}

TEST_F(AssembleRomImageTest, FullDiskLeavesTheOutputAlone) {
    WriteStream(4000);
    KeepExistingOutput();
    EXPECT_EQ(AssembleWithFileLimit(Player().size() / 2), 1002);
    ExpectOutputKept();
    EXPECT_EQ(AssembleWithFileLimit(Player().size() + 1000), 1007);
    ExpectOutputKept();
}

TEST_F(AssembleRomImageTest, UncreatableOutputIsLeftAlone) {
    WriteStream(16);
    request.outputPath = (scratch.Path() / "missing" / "out.gba").string();
    EXPECT_EQ(AssembleRomImage(request, streamPath), 1001);
    EXPECT_EQ(ErrorDetail, "出力先ファイルを作成できません " + request.outputPath + ": No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(request.outputPath));
}

// The last step before the image replaces the output still takes the run's abort.
TEST_F(AssembleRomImageTest, AbortBeforeTheImageIsInPlaceLeavesTheOutputAlone) {
    WriteStream(4000);
    KeepExistingOutput();
    AbortEvent abortEvent;
    abortEvent.Signal();
    request.abortEvent = &abortEvent;
    AbortRequested = false;
    EXPECT_EQ(AssembleRomImage(request, streamPath), 5);
    EXPECT_TRUE(AbortRequested);
    AbortRequested = false;
    ExpectOutputKept();
}

// A link at the output path is written through: the file it leads to gets the image and keeps
// its permissions; the link stays a link.
TEST_F(AssembleRomImageTest, ImageReplacesTheFileALinkLeadsTo) {
    WriteStream(16);
    const std::filesystem::path real = scratch.Path() / "real.gba";
    std::ofstream(real) << "old";
    std::filesystem::permissions(real, std::filesystem::perms(0640));
    std::filesystem::create_symlink(real, request.outputPath);
    ASSERT_EQ(AssembleRomImage(request, streamPath), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(request.outputPath));
    EXPECT_EQ(ReadBytes(real).size(), Player().size() + 16);
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0640));
    EXPECT_TRUE(LeftoverImageFiles(scratch.Path()).empty());
}

}  // namespace
