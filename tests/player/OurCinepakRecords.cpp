#include "tests/player/OurCinepakRecords.h"

#include <stdexcept>
#include <string>

#include "cinepak/CinepakCompressor.h"
#include "tests/player/CinepakFrameRecord.h"

namespace {

// The compressor takes the decoder's picture layout: rows bottom-up, bytes B, G, R.
std::vector<uint8_t> BottomUpBgr(const std::vector<uint8_t>& rgb, int width, int height) {
    std::vector<uint8_t> bgr(rgb.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                bgr[(size_t(height - 1 - y) * width + x) * 3 + size_t(2 - c)] = rgb[(size_t(y) * width + x) * 3 + size_t(c)];
    return bgr;
}

void Check(long result, const char* message) {
    if (result != ICERR_OK) throw std::runtime_error(std::string(message) + ": " + std::to_string(result));
}

}  // namespace

std::vector<FrameRecord> EncodeWithOurCinepak(std::span<const std::vector<uint8_t>> pictures, int width, int height,
                                              uint32_t frameBytes, uint32_t keyInterval) {
    InstallCinepakCompressor();
    BitmapInfoHeader input;
    input.biWidth = width;
    input.biHeight = height;
    input.biBitCount = 24;
    input.biSizeImage = uint32_t(width * height * 3);
    const auto compressor = ICLocate(ICTYPE_VIDEO, kCinepakHandler, &input, nullptr, ICMODE_COMPRESS);
    if (!compressor) throw std::runtime_error("no Cinepak compressor for the test pictures");
    BitmapInfoHeader output;
    Check(compressor->CompressGetFormat(&input, &output), "get format");
    std::vector<uint8_t> frame(size_t(compressor->CompressGetSize(&input, &output)));
    uint32_t quality = 0;
    Check(compressor->GetDefaultQuality(&quality), "default quality");
    Check(compressor->CompressBegin(&input, &output), "begin");

    std::vector<FrameRecord> records;
    std::vector<uint8_t> previous;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const std::vector<uint8_t> picture = BottomUpBgr(pictures[i], width, height);
        ICCOMPRESS params;
        params.lpbiOutput = &output;
        params.lpOutput = frame.data();
        params.lpbiInput = &input;
        params.lpInput = picture.data();
        params.lFrameNum = int32_t(i);
        params.dwFlags = keyInterval != 0 && i % keyInterval == 0 ? ICCOMPRESS_KEYFRAME : 0;
        params.dwFrameSize = frameBytes;
        params.dwQuality = quality;
        params.lpbiPrev = &input;
        params.lpPrev = previous.empty() ? nullptr : previous.data();
        Check(compressor->Compress(&params), "compress");
        records.push_back(RecordFromCinepakFrame(std::span(frame).first(output.biSizeImage)));
        previous = picture;
    }
    Check(compressor->CompressEnd(), "end");
    return records;
}
