// The encoder's budget with the real compressor: a stream holds the chosen data rate, and a
// budget squeezed below what any coding needs gets every block V1 from a small codebook, then skips.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cinepak/CinepakCompressor.h"
#include "video/FrameScaler.h"
#include "video/MovieEncoder.h"
#include "video/MovieStreamReader.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 160;

// A detailed picture that drifts: fine texture that the coder cannot squeeze for free.
std::vector<uint8_t> MovingTexture(int frame) {
    std::vector<uint8_t> picture(size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t u = uint32_t(x + frame * 3), v = uint32_t(y + frame);
            const uint32_t hash = (u * 374761393u + v * 668265263u) ^ (u * v * 2246822519u);
            for (int k = 0; k < 3; ++k)
                picture[(size_t(y) * kWidth + x) * 3 + k] = uint8_t((u * (k + 1) + v * 2) + (hash >> (8 * k)) % 64);
        }
    return picture;
}

class EncoderRate : public testing::Test {
protected:
    void SetUp() override {
        InstallCinepakCompressor();
        path = std::filesystem::temp_directory_path() /
               (std::string("kavro-rate-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { std::filesystem::remove(path); }

    // Encodes `frames` frames at 15 fps and answers the stream the reader found.
    MovieStreamInfo Encode(int frames, int32_t bitrate) {
        MovieEncoder encoder;
        EXPECT_TRUE(encoder.SetOutputFile(path.string()));
        EXPECT_TRUE(encoder.SetParameters({}, false, kWidth, kHeight, 0, 0, bitrate));
        VideoInfoHeader format;
        format.AvgTimePerFrame = 666666;
        format.bmiHeader.biWidth = kWidth;
        format.bmiHeader.biHeight = kHeight;
        format.bmiHeader.biBitCount = 24;
        EXPECT_TRUE(encoder.SetupVideo(format));
        EXPECT_TRUE(encoder.BeginStream(uint32_t(frames)));
        for (int frame = 0; frame < frames; ++frame) {
            const std::vector<uint8_t> picture = MovingTexture(frame);
            encoder.EncodeFrame(picture.data(), int32_t(picture.size()));
        }
        EXPECT_TRUE(encoder.FinishStream());
        std::ifstream in(path, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const MovieStreamCheck check = ReadMovieStream(bytes);
        EXPECT_TRUE(check.ok) << check.error;
        return check.info;
    }

    std::filesystem::path path;
};

TEST_F(EncoderRate, StreamHoldsTheChosenDataRate) {
    const MovieStreamInfo info = Encode(300, 120);
    ASSERT_EQ(info.records.size(), 300u);
    // Whole compressed frames: each record plus the 18 header bytes it does not keep.
    uint64_t bytes = 0;
    for (const MovieStreamRecord& record : info.records) bytes += record.length + 18u;
    const double target = 120.0 * 1024 * 300 / 15;
    EXPECT_NEAR(double(bytes), target, 0.03 * target) << "bytes " << bytes << " for a target of " << target;
}

TEST_F(EncoderRate, SqueezedBudgetGetsTheSmallestCoding) {
    // 1 KB/s leaves 68 bytes a frame: less than any frame can take. The intra frame codes every
    // block V1 from the codebook of 64 entries a squeezed intra frame keeps (this texture fills
    // it): 10 + 12 + 4 + 64 x 6 + 4 + 2400 = 2814 bytes.
    const MovieStreamInfo info = Encode(12, 1);
    ASSERT_EQ(info.records.size(), 12u);
    EXPECT_EQ(info.records[0].stripId, 0x1000);
    EXPECT_EQ(info.records[0].length, 2814u - 18u) << "64-entry codebook, every block V1";
    for (size_t i = 1; i < info.records.size(); ++i)
        EXPECT_EQ(info.records[i].length, 326u - 18u) << "record " << i << ": every block skipped";
}

}  // namespace
