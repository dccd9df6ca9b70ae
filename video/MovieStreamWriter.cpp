#include "video/MovieStreamWriter.h"

#include <unistd.h>

#include "format/MovieStream.h"

bool MovieStreamWriter::Create(const std::string& path) {
    file_.reset();
    file_.reset(std::fopen(path.c_str(), "wb"));
    return file_ != nullptr;
}

bool MovieStreamWriter::WriteU32(uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return WriteBytes(bytes);
}

bool MovieStreamWriter::WriteBytes(std::span<const uint8_t> bytes) {
    if (!file_) return false;
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size();
}

bool MovieStreamWriter::WriteHeader(uint32_t frameStep, uint32_t width, uint32_t height) {
    return WriteU32(0) && WriteU32(frameStep) && WriteU32((width & 0xFFFF) | height << 16);
}

bool MovieStreamWriter::WriteFrameRecord(uint16_t stripId, std::span<const uint8_t> stripData) {
    if (!file_ || stripData.size() + movie_stream::kRecordHeaderBytes > movie_stream::kMaxRecordBytes) return false;
    const long start = std::ftell(file_.get());
    const uint32_t length = uint32_t(stripData.size()) + movie_stream::kRecordHeaderBytes;
    if (WriteU32(length | uint32_t(stripId) << 16) && WriteBytes(stripData)) return true;
    // Cut the partial record off so that the frame count can still match the records.
    if (start >= 0 && std::fflush(file_.get()) == 0 && ftruncate(fileno(file_.get()), start) == 0)
        std::fseek(file_.get(), start, SEEK_SET);
    return false;
}

bool MovieStreamWriter::WriteAudioBlock(uint32_t audioBlockCount, std::span<const uint8_t> payload) {
    return WriteU32(audioBlockCount) && WriteBytes(payload);
}

bool MovieStreamWriter::WriteFrameCount(uint32_t frameCount) {
    if (!file_ || std::fseek(file_.get(), movie_stream::kFrameCountOffset, SEEK_SET) != 0) return false;
    return WriteU32(frameCount);
}

bool MovieStreamWriter::Close() {
    if (!file_) return true;
    return std::fclose(file_.release()) == 0;
}
