#include "tests/player/TestCartridge.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <numbers>
#include <string>

#include "audio/AdpcmEncoder.h"
#include "platform/TempFile.h"
#include "resources/Resources.h"
#include "video/MovieStreamWriter.h"

namespace {

class RemovedFile {
public:
    explicit RemovedFile(std::string path) : path_(std::move(path)) {}
    ~RemovedFile() { std::remove(path_.c_str()); }
    RemovedFile(const RemovedFile&) = delete;
    RemovedFile& operator=(const RemovedFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

bool WriteStream(const std::string& path, const TestMovie& movie) {
    MovieStreamWriter writer;
    if (!writer.Create(path) || !writer.WriteHeader(movie.frameStep, uint32_t(movie.width), uint32_t(movie.height)))
        return false;
    for (const FrameRecord& record : movie.records)
        if (!writer.WriteFrameRecord(record.stripId, record.chunks)) return false;
    if (!movie.records.empty()) {
        const uint32_t blocks = uint32_t(movie.adpcm.size() / kAdpcmBlockBytes);
        if (!writer.WriteAudioBlock(blocks, movie.adpcm) || !writer.WriteFrameCount(uint32_t(movie.records.size())))
            return false;
    }
    return writer.Close();
}

}  // namespace

std::span<const uint8_t> PlayerRom() {
    const auto player = FindModuleResource("BINARY", 130);
    if (!player) throw std::runtime_error("the PlayerRom resource is missing");
    return *player;
}

std::vector<uint8_t> WriteMovieStream(const TestMovie& movie) {
    const std::optional<std::string> path = CreateTempFile("KAVROTEST");
    if (!path) throw std::runtime_error("no temporary file for a test stream");
    const RemovedFile file(*path);
    if (!WriteStream(file.path(), movie)) throw std::runtime_error("the stream writer failed on " + file.path());
    std::ifstream in(file.path(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> CartridgeImage(std::span<const uint8_t> stream, const player_options::PlayerOptions& options) {
    const std::span<const uint8_t> player = PlayerRom();
    std::vector<uint8_t> image(player.begin(), player.end());
    player_options::Put(image.data(), options);
    image.insert(image.end(), stream.begin(), stream.end());
    return image;
}

std::unique_ptr<HandheldCore> StartCore(std::span<const uint8_t> image, std::span<const uint8_t> saveMemory) {
    HandheldCoreLoad load = HandheldCore::Load(image, saveMemory);
    if (!load.core) throw std::runtime_error("the core refused the image: " + load.error);
    return std::move(load.core);
}

std::vector<int16_t> ToneSamples(uint32_t blocks) {
    // 187.5 Hz and 1312.5 Hz at 21024 Hz: loud, slow enough to survive the core's output
    // filtering, and never periodic within a refresh.
    std::vector<int16_t> samples(size_t(blocks) * kAdpcmBlockSamples);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / 21024.0;
        samples[i] = int16_t(14000 * std::sin(2 * std::numbers::pi * 187.5 * t) +
                             9000 * std::sin(2 * std::numbers::pi * 1312.5 * t));
    }
    return samples;
}

std::vector<uint8_t> ToneAdpcm(uint32_t blocks) {
    const std::vector<int16_t> samples = ToneSamples(blocks);
    AdpcmEncoder encoder;
    std::vector<uint8_t> bytes(samples.size() / 2);
    for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = encoder.EncodeAdpcmPair(samples[2 * k], samples[2 * k + 1]);
    return bytes;
}
