#include "tests/job/StreamTimeline.h"

#include <algorithm>
#include <cstdlib>

#include "audio/AdpcmDecoder.h"
#include "audio/AdpcmEncoder.h"
#include "tests/player/CinepakOracle.h"
#include "tests/player/ShownFrames.h"

namespace {

// Mean level of a flash is near 255, of the fixtures' dark picture below 60.
constexpr double kBrightLevel = 150.0;
constexpr double kQuietSeconds = 0.1;

double MeanLevel(const std::vector<uint8_t>& rgb) {
    double sum = 0;
    for (const uint8_t value : rgb) sum += value;
    return rgb.empty() ? 0.0 : sum / double(rgb.size());
}

double RecordSeconds(size_t record, uint32_t frameStep) {
    return double(record) * 65536.0 / frameStep / kRefreshHz;
}

double SampleSeconds(size_t sample) {
    return double(sample) / kAdpcmBlockSamples / kRefreshHz;
}

void FindFlashes(std::span<const uint8_t> image, size_t streamOffset, StreamTimeline& timeline) {
    const MovieStreamInfo& info = timeline.stream.info;
    CinepakOracle oracle(info.width, info.height);
    bool bright = false;
    size_t index = 0;
    for (const FrameRecord& record : RecordsOf(image, streamOffset, info)) {
        std::vector<uint8_t> picture = oracle.Decode(record);
        const bool nowBright = MeanLevel(picture) > kBrightLevel;
        if (nowBright && !bright) timeline.flashes.push_back(RecordSeconds(index, info.frameStep));
        bright = nowBright;
        if (index++ == 0) timeline.firstPicture = std::move(picture);
    }
}

void FindBeeps(std::span<const uint8_t> image, size_t streamOffset, StreamTimeline& timeline) {
    const MovieStreamInfo& info = timeline.stream.info;
    const auto payload =
        image.subspan(streamOffset + info.audioDataOffset, size_t(info.audioBlockCount) * kAdpcmBlockBytes);
    const std::vector<int8_t> sound = DecodeAdpcmBlock(payload);
    int peak = 0;
    for (const int8_t sample : sound) peak = std::max(peak, std::abs(int(sample)));
    const int threshold = std::max(1, peak / 4);
    const size_t quiet = size_t(kQuietSeconds * kAdpcmBlockSamples * kRefreshHz);
    size_t lastLoud = 0;
    bool heard = false;
    for (size_t k = 0; k < sound.size(); ++k) {
        if (std::abs(int(sound[k])) < threshold) continue;
        if (!heard || k - lastLoud > quiet) timeline.beeps.push_back(SampleSeconds(k));
        heard = true;
        lastLoud = k;
    }
}

}  // namespace

StreamTimeline ReadStreamTimeline(std::span<const uint8_t> image, size_t streamOffset) {
    StreamTimeline timeline;
    timeline.stream = ReadMovieStream(image, streamOffset);
    if (!timeline.stream.ok) return timeline;
    const MovieStreamInfo& info = timeline.stream.info;
    timeline.pictureSeconds = RecordSeconds(info.frameCount, info.frameStep);
    timeline.soundSeconds = double(info.audioBlockCount) / kRefreshHz;
    FindFlashes(image, streamOffset, timeline);
    FindBeeps(image, streamOffset, timeline);
    return timeline;
}
