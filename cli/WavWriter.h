#pragma once
// A WAV file of 16-bit stereo sound, written piece by piece through FFmpeg's WAV muxer.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct AVFormatContext;

class WavWriter {
public:
    WavWriter();
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates the file; answers an error text, empty on success.
    [[nodiscard]] std::string Open(const std::string& path, int sampleRateHz);
    // Appends interleaved left, right samples.
    [[nodiscard]] std::string Append(std::span<const int16_t> stereo);
    // Writes the sizes into the header and closes the file.
    [[nodiscard]] std::string Close();

private:
    struct FormatDeleter {
        void operator()(AVFormatContext* context) const;
    };
    std::unique_ptr<AVFormatContext, FormatDeleter> format_;
    int64_t samplesWritten_ = 0;
};
