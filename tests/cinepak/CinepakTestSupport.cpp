#include "tests/cinepak/CinepakTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>


namespace cinepak_test {

void Picture::Set(int x, int yFromTop, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* pixel = bgr.data() + (size_t(height - 1 - yFromTop) * width + x) * 3;
    pixel[0] = b;
    pixel[1] = g;
    pixel[2] = r;
}

namespace {

Picture Blank(int width, int height) { return {width, height, std::vector<uint8_t>(size_t(width) * height * 3)}; }

uint8_t Channel(double value) { return uint8_t(std::clamp(value, 0.0, 255.0)); }

}  // namespace

Picture MovingScene(int width, int height, int time) {
    Picture picture = Blank(width, height);
    const double discX = width / 2.0 + width / 4.0 * std::sin(time * 0.3);
    const double discY = height / 2.0 + height / 5.0 * std::cos(time * 0.2);
    const double radius = std::max(2.0, height / 6.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double px = x + 2.0 * time, py = y + time;
            double r = 120 + 100 * std::sin(px * 0.09) * std::cos(py * 0.07);
            double g = 128 + 60 * std::sin((px + py) * 0.05);
            double b = 100 + 80 * std::cos(px * 0.031 - py * 0.043);
            if (y >= height / 3 && y < height / 2) {  // fine texture
                const double texture = ((int(px) / 2 + int(py) / 2) % 2 ? 35 : -35) + 20 * std::sin(px * 0.7);
                r += texture;
                g += texture;
                b -= texture / 2;
            }
            if (std::hypot(x - discX, y - discY) < radius) {
                r = 240;
                g = 200 - 3 * (y % 8);
                b = 30;
            }
            picture.Set(x, y, Channel(r), Channel(g), Channel(b));
        }
    return picture;
}

Picture Noise(int width, int height, uint32_t seed) {
    Picture picture = Blank(width, height);
    std::mt19937 random(seed);
    for (uint8_t& byte : picture.bgr) byte = uint8_t(random() >> 24);
    return picture;
}

Picture Flat(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    Picture picture = Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.Set(x, y, r, g, b);
    return picture;
}

std::vector<uint8_t> TopDownRgb(const Picture& picture) {
    return TopDownRgb(picture.bgr, picture.width, picture.height);
}

CompressorRun::CompressorRun(int width, int height, const ICCOMPRESSFRAMES& framesInfo) {
    input.biWidth = width;
    input.biHeight = height;
    input.biBitCount = 24;
    input.biSizeImage = uint32_t(width * height * 3);
    EXPECT_EQ(compressor.CompressGetFormat(&input, &output), ICERR_OK);
    const long size = compressor.CompressGetSize(&input, &output);
    EXPECT_GT(size, 0);
    buffer_.resize(size_t(std::max(size, 0L)));
    if (framesInfo.lDataRate != 0) {
        ICCOMPRESSFRAMES info = framesInfo;
        info.lpbiInput = &input;
        info.lpbiOutput = &output;
        EXPECT_EQ(compressor.CompressFramesInfo(&info), ICERR_OK);
    }
    EXPECT_EQ(compressor.CompressBegin(&input, &output), ICERR_OK);
}

std::vector<uint8_t> CompressorRun::Compress(const Picture& picture, uint32_t desiredBytes, bool withPrevious) {
    if (!withPrevious) previous_.clear();
    return CompressNumbered(picture, desiredBytes, next_);
}

std::vector<uint8_t> CompressorRun::CompressNumbered(const Picture& picture, uint32_t desiredBytes,
                                                     int32_t frameNumber) {
    ICCOMPRESS params;
    params.lpbiOutput = &output;
    params.lpOutput = buffer_.data();
    params.lpbiInput = &input;
    params.lpInput = picture.bgr.data();
    params.lpckid = &lastChunkId;
    params.lpdwFlags = &lastFlags;
    params.lFrameNum = frameNumber;
    params.dwFrameSize = desiredBytes;
    if (!previous_.empty()) {
        params.lpbiPrev = &input;
        params.lpPrev = previous_.data();
    }
    const long answer = compressor.Compress(&params);
    EXPECT_EQ(answer, ICERR_OK);
    previous_ = picture.bgr;
    next_ = frameNumber + 1;
    if (answer != ICERR_OK) return {};
    EXPECT_LE(output.biSizeImage, buffer_.size());
    return {buffer_.begin(), buffer_.begin() + std::min<size_t>(output.biSizeImage, buffer_.size())};
}

uint32_t Field16(std::span<const uint8_t> frame, size_t offset) {
    return uint32_t(frame[offset]) << 8 | frame[offset + 1];
}

uint32_t Field24(std::span<const uint8_t> frame, size_t offset) {
    return uint32_t(frame[offset]) << 16 | Field16(frame, offset + 1);
}

}  // namespace cinepak_test
