// The compressor's answers to the messages a stream sends.
#include <gtest/gtest.h>

#include "tests/cinepak/CinepakTestSupport.h"

using namespace cinepak_test;

namespace {

BitmapInfoHeader Input(int32_t width, int32_t height) {
    BitmapInfoHeader input;
    input.biWidth = width;
    input.biHeight = height;
    input.biBitCount = 24;
    input.biSizeImage = uint32_t(width * height * 3);
    return input;
}

}  // namespace

TEST(CinepakMessages, AcceptsMultiplesOfFourUpToTheScreen) {
    CinepakCompressor compressor;
    for (const auto& [w, h] : {std::pair{4, 4}, {240, 160}, {100, 60}, {240, 4}, {4, 160}}) {
        const BitmapInfoHeader input = Input(w, h);
        EXPECT_EQ(compressor.CompressQuery(&input, nullptr), ICERR_OK) << w << "x" << h;
    }
    for (const auto& [w, h] : {std::pair{0, 0}, {2, 4}, {6, 8}, {244, 160}, {240, 164}, {240, -160}, {-4, 4}}) {
        const BitmapInfoHeader input = Input(w, h);
        EXPECT_NE(compressor.CompressQuery(&input, nullptr), ICERR_OK) << w << "x" << h;
    }
    BitmapInfoHeader sixteenBit = Input(16, 16);
    sixteenBit.biBitCount = 16;
    BitmapInfoHeader compressed = Input(16, 16);
    compressed.biCompression = kCinepakHandler;
    EXPECT_NE(compressor.CompressQuery(&sixteenBit, nullptr), ICERR_OK);
    EXPECT_NE(compressor.CompressQuery(&compressed, nullptr), ICERR_OK);
    EXPECT_NE(compressor.CompressQuery(nullptr, nullptr), ICERR_OK);
}

TEST(CinepakMessages, OutputFormatIsCinepakOfTheSameSize) {
    CinepakCompressor compressor;
    const BitmapInfoHeader input = Input(240, 160);
    EXPECT_EQ(compressor.CompressGetFormat(&input, nullptr), long(kBitmapInfoHeaderBytes));
    BitmapInfoHeader output;
    ASSERT_EQ(compressor.CompressGetFormat(&input, &output), ICERR_OK);
    EXPECT_EQ(output.biCompression, kCinepakHandler);
    EXPECT_EQ(output.biWidth, 240);
    EXPECT_EQ(output.biHeight, 160);
    EXPECT_EQ(compressor.CompressQuery(&input, &output), ICERR_OK);
    // Largest frame: 22 header bytes, two partial codebooks of 256 entries (4 + 32 + 1536 each),
    // inter vectors for 2400 V4 blocks (4 + 600 + 9600) and at most 3 bytes of padding.
    EXPECT_EQ(compressor.CompressGetSize(&input, &output), 13373);
    BitmapInfoHeader otherSize = output;
    otherSize.biWidth = 120;
    EXPECT_NE(compressor.CompressQuery(&input, &otherSize), ICERR_OK);
    EXPECT_NE(compressor.CompressGetSize(&input, &otherSize), 13373);
}

TEST(CinepakMessages, QualityFramesInfoAndState) {
    CinepakCompressor compressor;
    uint32_t quality = 0;
    EXPECT_EQ(compressor.GetDefaultQuality(&quality), ICERR_OK);
    EXPECT_LE(quality, 10000u);

    const BitmapInfoHeader input = Input(240, 160);
    BitmapInfoHeader output;
    ASSERT_EQ(compressor.CompressGetFormat(&input, &output), ICERR_OK);
    ICCOMPRESSFRAMES info;
    info.lpbiInput = &input;
    info.lpbiOutput = &output;
    info.lFrameCount = 300;
    info.lQuality = int32_t(quality);
    info.lDataRate = 120 * 1024;
    info.dwRate = 15000;
    info.dwScale = 1000;
    EXPECT_EQ(compressor.CompressFramesInfo(&info), ICERR_OK);
    EXPECT_NE(compressor.CompressFramesInfo(nullptr), ICERR_OK);

    // State round trip, as the movie encoder does it.
    const long size = compressor.GetState(nullptr, 0);
    ASSERT_GT(size, 0);
    std::vector<uint8_t> state(static_cast<size_t>(size));
    EXPECT_EQ(compressor.GetState(state.data(), uint32_t(state.size())), size);
    EXPECT_EQ(compressor.SetState(state.data(), uint32_t(state.size())), ICERR_OK);
    EXPECT_NE(compressor.SetState(state.data(), uint32_t(state.size() - 1)), ICERR_OK);
    std::vector<uint8_t> wrong(state.size(), 0xFF);  // every option -1: out of range
    EXPECT_NE(compressor.SetState(wrong.data(), uint32_t(wrong.size())), ICERR_OK);
    std::vector<uint8_t> after(state.size());
    compressor.GetState(after.data(), uint32_t(after.size()));
    EXPECT_EQ(after, state) << "a refused state changes nothing";
}

TEST(CinepakMessages, CompressNeedsBeginAndReportsEachFrame) {
    CinepakCompressor compressor;
    const BitmapInfoHeader input = Input(16, 16);
    BitmapInfoHeader output;
    ASSERT_EQ(compressor.CompressGetFormat(&input, &output), ICERR_OK);
    const Picture picture = MovingScene(16, 16, 0);
    std::vector<uint8_t> buffer(size_t(compressor.CompressGetSize(&input, &output)));
    ICCOMPRESS params;
    params.lpbiInput = &input;
    params.lpInput = picture.bgr.data();
    params.lpbiOutput = &output;
    params.lpOutput = buffer.data();
    params.dwFrameSize = 400;
    EXPECT_NE(compressor.Compress(&params), ICERR_OK) << "not begun";
    ASSERT_EQ(compressor.CompressBegin(&input, &output), ICERR_OK);
    EXPECT_NE(compressor.Compress(nullptr), ICERR_OK);
    BitmapInfoHeader otherInput = Input(32, 16);
    params.lpbiInput = &otherInput;
    EXPECT_NE(compressor.Compress(&params), ICERR_OK) << "not the size begun with";
    params.lpbiInput = &input;
    ASSERT_EQ(compressor.Compress(&params), ICERR_OK);
    EXPECT_EQ(output.biSizeImage, Field24(buffer, 1));
    EXPECT_EQ(compressor.CompressEnd(), ICERR_OK);
    EXPECT_NE(compressor.Compress(&params), ICERR_OK) << "ended";
}

TEST(CinepakMessages, KeyFramesAreReportedAndStartOver) {
    CompressorRun run(32, 32);
    run.Compress(MovingScene(32, 32, 0), 1000);
    EXPECT_EQ(run.lastFlags, AVIIF_KEYFRAME);
    EXPECT_EQ(run.lastChunkId, cktypeDIBcompressed);
    std::vector<uint8_t> frame = run.Compress(MovingScene(32, 32, 1), 1000);
    EXPECT_EQ(run.lastFlags, 0u);
    EXPECT_EQ(Field16(frame, 10), 0x1100u);
    // A frame number that does not follow the last (the caller lost a frame) starts over.
    frame = run.CompressNumbered(MovingScene(32, 32, 3), 1000, 3);
    EXPECT_EQ(run.lastFlags, AVIIF_KEYFRAME);
    EXPECT_EQ(Field16(frame, 10), 0x1000u);
    frame = run.CompressNumbered(MovingScene(32, 32, 4), 1000, 0);
    EXPECT_EQ(Field16(frame, 10), 0x1000u);
}

TEST(CinepakMessages, KeyIntervalFromTheState) {
    CompressorRun run(16, 16);
    std::vector<uint8_t> state(size_t(run.compressor.GetState(nullptr, 0)));
    run.compressor.GetState(state.data(), uint32_t(state.size()));
    // key-interval is the third option: 4 bytes little-endian at offset 8.
    state[8] = 3;
    ASSERT_EQ(run.compressor.SetState(state.data(), uint32_t(state.size())), ICERR_OK);
    ASSERT_EQ(run.compressor.CompressBegin(&run.input, &run.output), ICERR_OK);
    for (int k = 0; k < 7; ++k) {
        const std::vector<uint8_t> frame = run.Compress(MovingScene(16, 16, k), 500);
        EXPECT_EQ(Field16(frame, 10), k % 3 == 0 ? 0x1000u : 0x1100u) << k;
    }
}

TEST(CinepakMessages, InstalledUnderVidcCvid) {
    InstallCinepakCompressor();
    InstallCinepakCompressor();
    const BitmapInfoHeader input = Input(240, 160);
    EXPECT_NE(ICLocate(ICTYPE_VIDEO, kCinepakHandler, &input, nullptr, ICMODE_COMPRESS), nullptr);
    const BitmapInfoHeader odd = Input(242, 160);
    EXPECT_EQ(ICLocate(ICTYPE_VIDEO, kCinepakHandler, &odd, nullptr, ICMODE_COMPRESS), nullptr);
}
