// The compressor's frames as FFmpeg's Cinepak decoder reads them: every frame decodes, the
// decoded picture is exactly the compressor's reconstruction, and the frame is laid out as the
// movie stream needs it (one strip over the picture, size a multiple of 4, vectors last).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/cinepak/CinepakTestSupport.h"

using namespace cinepak_test;

namespace {

constexpr uint32_t kIntraStrip = 0x1000;
constexpr uint32_t kInterStrip = 0x1100;

// Walks the chunks of a partial codebook and checks that its entries end exactly at its end.
void ExpectExactPartialCodebook(std::span<const uint8_t> chunk) {
    size_t at = 4;
    for (int group = 0; group < 8 && at < chunk.size(); ++group) {
        ASSERT_LE(at + 4, chunk.size());
        const uint32_t mask = Field16(chunk, at) << 16 | Field16(chunk, at + 2);
        at += 4;
        for (int bit = 0; bit < 32; ++bit)
            if (mask & (0x80000000u >> bit)) at += 6;
    }
    EXPECT_EQ(at, chunk.size()) << "a partial codebook must end with its last entry";
}

// Checks the frame header, the one strip and its chunks; returns the strip id.
uint32_t ExpectWellFormed(std::span<const uint8_t> frame, int width, int height) {
    EXPECT_GE(frame.size(), 22u);
    if (frame.size() < 22) return 0;
    const uint32_t length = Field24(frame, 1);
    EXPECT_EQ(length, frame.size());
    EXPECT_LE(length, 65541u);
    EXPECT_EQ(Field16(frame, 4), uint32_t(width));
    EXPECT_EQ(Field16(frame, 6), uint32_t(height));
    EXPECT_EQ(Field16(frame, 8), 1u);
    const uint32_t stripId = Field16(frame, 10);
    EXPECT_TRUE(stripId == kIntraStrip || stripId == kInterStrip) << stripId;
    const uint32_t stripBytes = Field16(frame, 12);
    EXPECT_EQ(stripBytes, length - 10);
    EXPECT_EQ(stripBytes % 4, 0u);
    EXPECT_EQ(Field16(frame, 14), 0u);
    EXPECT_EQ(Field16(frame, 16), 0u);
    EXPECT_EQ(Field16(frame, 18), uint32_t(height));
    EXPECT_EQ(Field16(frame, 20), uint32_t(width));

    size_t at = 22;
    int vectorChunks = 0;
    while (at < frame.size()) {
        EXPECT_EQ(vectorChunks, 0) << "the vectors chunk must be the last chunk";
        EXPECT_LE(at + 4, frame.size());
        if (at + 4 > frame.size()) break;
        const uint32_t id = frame[at];
        const uint32_t bytes = Field16(frame, at + 2);
        EXPECT_EQ(frame[at + 1], 0u);
        EXPECT_GE(bytes, 4u);
        EXPECT_LE(at + bytes, frame.size());
        if (bytes < 4 || at + bytes > frame.size()) break;
        EXPECT_TRUE(id == 0x20 || id == 0x21 || id == 0x22 || id == 0x23 || (id >= 0x30 && id <= 0x32)) << id;
        if (id == 0x21 || id == 0x23) ExpectExactPartialCodebook(frame.subspan(at, bytes));
        if (id == 0x31) {
            EXPECT_EQ(stripId, kInterStrip) << "skipped blocks need the previous picture";
        }
        vectorChunks += id >= 0x30;
        at += bytes;
    }
    EXPECT_EQ(at, frame.size());
    EXPECT_EQ(vectorChunks, 1);
    return stripId;
}

struct Size {
    int width, height;
};

// The smallest frame there is: intra, every block V1 from a one-entry codebook (10 bytes) in an
// all-V1 vectors chunk (one byte a block); inter, every block skipped (one flag bit a block).
// The strip is padded to a multiple of 4.
size_t SmallestFrame(const Size& size, bool intra) {
    const size_t blocks = size_t(size.width / 4) * size_t(size.height / 4);
    const size_t strip = 12 + (intra ? 10 + 4 + blocks : 4 + (blocks + 31) / 32 * 4);
    return 10 + (strip + 3) / 4 * 4;
}

std::string Name(const Size& size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

}  // namespace

TEST(CinepakStream, FfmpegDecodesEveryFrameToTheReconstruction) {
    for (const Size size : {Size{4, 4}, Size{8, 12}, Size{36, 20}, Size{124, 68}, Size{240, 160}}) {
        SCOPED_TRACE(Name(size));
        const int w = size.width, h = size.height;
        const uint32_t pixels = uint32_t(w * h);
        const std::vector<Picture> pictures{MovingScene(w, h, 0), MovingScene(w, h, 1),  MovingScene(w, h, 2),
                                            Noise(w, h, 7),       Flat(w, h, 30, 90, 200), MovingScene(w, h, 9),
                                            MovingScene(w, h, 10), MovingScene(w, h, 11)};
        // Generous, middling, squeezed and impossible sizes, so that every mode and chunk kind occurs.
        const uint32_t budgets[] = {60000, pixels / 3, pixels / 12, 1};
        CompressorRun run(w, h);
        FfmpegDecoder decoder(w, h);
        ASSERT_TRUE(decoder.Ok());
        for (size_t i = 0; i < pictures.size(); ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            const std::vector<uint8_t> frame = run.Compress(pictures[i], budgets[i % 4]);
            const uint32_t stripId = ExpectWellFormed(frame, w, h);
            EXPECT_EQ(stripId, i == 0 ? kIntraStrip : kInterStrip);
            EXPECT_LE(frame.size(), std::max<size_t>(budgets[i % 4], SmallestFrame(size, i == 0)));
            const std::vector<uint8_t> decoded = decoder.Decode(frame);
            ASSERT_FALSE(decoded.empty()) << "FFmpeg refused the frame";
            EXPECT_TRUE(decoded == run.compressor.Reconstruction());
        }
    }
}

TEST(CinepakStream, IntraFrameDecodesWithoutEarlierFrames) {
    CompressorRun run(64, 48);
    run.Compress(MovingScene(64, 48, 0), 3000);
    run.Compress(MovingScene(64, 48, 1), 3000);
    // A picture with no previous one starts over.
    const std::vector<uint8_t> frame = run.Compress(MovingScene(64, 48, 5), 3000, false);
    EXPECT_EQ(ExpectWellFormed(frame, 64, 48), kIntraStrip);
    FfmpegDecoder fresh(64, 48);
    ASSERT_TRUE(fresh.Ok());
    EXPECT_TRUE(fresh.Decode(frame) == run.compressor.Reconstruction());
}

TEST(CinepakStream, SkipsAreJudgedAgainstTheDecodedPicture) {
    // The same picture again and again: the decoded picture never gets worse, and once it is as
    // good as the budget allows, frames shrink to skips.
    const Picture picture = MovingScene(96, 64, 3);
    const std::vector<uint8_t> source = TopDownRgb(picture);
    CompressorRun run(96, 64);
    FfmpegDecoder decoder(96, 64);
    ASSERT_TRUE(decoder.Ok());
    double previousPsnr = 0;
    size_t lastBytes = 0;
    for (int i = 0; i < 8; ++i) {
        const std::vector<uint8_t> frame = run.Compress(picture, 1200);
        const double psnr = Psnr(decoder.Decode(frame), source);
        EXPECT_GE(psnr, previousPsnr - 1e-9) << "frame " << i;
        previousPsnr = psnr;
        lastBytes = frame.size();
    }
    EXPECT_LT(lastBytes, 400u);
}
