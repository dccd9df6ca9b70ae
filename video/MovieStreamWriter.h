#pragma once
// Writes the movie stream file: header, frame records, audio block, final frame count.
// Decides nothing; every call reports whether all of its bytes were written.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

class MovieStreamWriter {
public:
    // Creates the file anew (replacing any existing one), closing a file still open.
    [[nodiscard]] bool Create(const std::string& path);
    // u32 frame count 0, u32 frameStep, u32 width | height << 16.
    [[nodiscard]] bool WriteHeader(uint32_t frameStep, uint32_t width, uint32_t height);
    // One FrameRecord: u16 length (4 + strip data), u16 strip id, the strip data. A record
    // that cannot be written whole is cut off again, so the stream keeps only whole records.
    [[nodiscard]] bool WriteFrameRecord(uint16_t stripId, std::span<const uint8_t> stripData);
    // u32 AudioBlockCount, then the ADPCM payload.
    [[nodiscard]] bool WriteAudioBlock(uint32_t audioBlockCount, std::span<const uint8_t> payload);
    // Seeks to offset 0 and writes the frame count.
    [[nodiscard]] bool WriteFrameCount(uint32_t frameCount);
    // Closes the file; false when buffered bytes could not be written.
    [[nodiscard]] bool Close();
    bool IsOpen() const { return file_ != nullptr; }

private:
    [[nodiscard]] bool WriteU32(uint32_t value);
    [[nodiscard]] bool WriteBytes(std::span<const uint8_t> bytes);

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file_;
};
