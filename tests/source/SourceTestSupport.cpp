#include "tests/source/SourceTestSupport.h"

#include <cstdlib>
#include <cstring>

#include "platform/RunState.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

// FFmpeg's notes about the fixtures it writes would bury the tests' own output.
const int quietFFmpeg = [] {
    av_log_set_level(AV_LOG_ERROR);
    return 0;
}();

}  // namespace

HRESULT RecordingCallback::QueryInterface(const GUID& iid, void** object) {
    *object = iid == IID_IUnknown || iid == IID_ISampleGrabberCB ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
}

HRESULT RecordingCallback::BufferCB(double, uint8_t* buffer, int32_t length) {
    buffers.emplace_back(buffer, buffer + length);
    const size_t sofar = ++count;
    if (afterEach) afterEach(sofar);
    return S_OK;
}

std::unique_ptr<MovieEncoder> PlainEncoder() {
    auto encoder = std::make_unique<MovieEncoder>();
    // Automatic size, every frame kept, no pre-filter.
    EXPECT_TRUE(encoder->SetParameters(Trims{}, false, -1, -1, 0, 0, 120));
    return encoder;
}

bool RecordedSource::Build(const std::string& path) {
    if (!BuildSourceGraph(graph, path, *encoder)) return false;
    graph->VideoGrabber().SetCallback(ComPtr<ISampleGrabberCB>(&pictures));
    graph->AudioGrabber().SetCallback(ComPtr<ISampleGrabberCB>(&sound));
    return true;
}

namespace {

Rgb ReadPixel(const std::vector<uint8_t>& buffer, int width, int height, int x, int y) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    const uint8_t* pixel = buffer.data() + size_t(height - 1 - y) * stride + size_t(x) * 3;
    return Rgb{pixel[2], pixel[1], pixel[0]};
}

void ExpectColour(Rgb actual, Rgb expected, int tolerance, const std::string& where) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << where;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << where;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << where;
}

}  // namespace

int ReadFrameNumber(const std::vector<uint8_t>& buffer, int width, int height) {
    int frameNumber = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const Rgb pixel = ReadPixel(buffer, width, height, (2 * bit + 1) * width / 16, height / 8);
        frameNumber = frameNumber * 2 + (pixel.r + pixel.g + pixel.b > 3 * 128 ? 1 : 0);
    }
    return frameNumber;
}

void ExpectPicturesInOrder(const std::vector<std::vector<uint8_t>>& pictures, int width, int height, int frameCount,
                           int tolerance) {
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    const int upperRow = (height / 4 + height * 5 / 8) / 2;
    const int lowerRow = (height * 5 / 8 + height) / 2;
    const struct {
        const char* name;
        int x, y;
    } blocks[] = {{"upper left", width / 4, upperRow},
                  {"upper right", width * 3 / 4, upperRow},
                  {"lower left", width / 4, lowerRow},
                  {"lower right", width * 3 / 4, lowerRow}};
    ASSERT_EQ(pictures.size(), size_t(frameCount));
    for (int index = 0; index < frameCount; ++index) {
        const std::vector<uint8_t>& picture = pictures[size_t(index)];
        ASSERT_EQ(picture.size(), stride * size_t(height)) << "picture " << index;
        EXPECT_EQ(ReadFrameNumber(picture, width, height), index);
        for (const auto& block : blocks)
            ExpectColour(ReadPixel(picture, width, height, block.x, block.y),
                         FixturePixel(index, block.x, block.y, width, height), tolerance,
                         "picture " + std::to_string(index) + ", " + block.name);
    }
}

void ClearRunState() {
    AbortRequested = false;
    ErrorDetail.clear();
}
