#pragma once
// Turns decoded PCM buffers, as they arrive, into 21024 Hz mono 16-bit samples.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "format/MovieStream.h"
#include "platform/MediaFormats.h"

inline constexpr uint32_t kOutputSampleRate = movie_stream::kSampleRateHz;  // of the collected sound

// How one source frame becomes one 16-bit value.
enum class FrameReader { None, Mono8, Stereo8, Mono16, Stereo16 };

class AudioCapture {
public:
    // Chooses the frame reader for a connected format; false when the format is refused
    // (not PCM, not 8 or 16 bits with 1 or 2 channels, a rate of 0, or frames shorter than the reader's).
    // Rate and block alignment are stored even when refused; a refused format leaves no reader.
    [[nodiscard]] bool SetAudioFormat(const WaveFormatEx& format);
    // Back to the start of a stream: phase 0, accumulator 0, no collected samples. Keeps the format.
    void Reset();
    // Resamples the whole frames of one buffer (`length` bytes, borrowed for the call) and appends
    // them to the collected samples. Bytes of a partial frame are dropped. Without a reader, nothing.
    void AppendAudio(const uint8_t* buffer, uint32_t length);

    std::vector<int16_t>& CollectedSamples() { return collectedSamples; }
    const std::vector<int16_t>& CollectedSamples() const { return collectedSamples; }

private:
    template <typename Reader>
    size_t Interpolate(const uint8_t* buffer, uint32_t frameCount);
    template <typename Reader>
    size_t Average(const uint8_t* buffer, uint32_t frameCount);
    template <typename Reader>
    size_t Resample(const uint8_t* buffer, uint32_t frameCount);
    void ReserveScratch(uint64_t sampleCount);

    uint32_t audioRate = 0;        // source frames per second
    uint32_t audioBlockAlign = 0;  // bytes per source frame
    FrameReader frameReader = FrameReader::None;
    // Ticks of 1/21024 source frame, in 64 bits so that a buffer of any length is safe:
    // one 32-bit tick position would overflow past 102,144 frames.
    int64_t resamplePhase = 0;
    int32_t carriedFrame = 0;  // last frame of the previous buffer, for interpolation across buffers
    // Weighted sum of the output sample being averaged. Whole numbers only, far inside 63 bits,
    // so integer arithmetic gives exactly the results of the 64-bit floating-point sum.
    int64_t averageSum = 0;
    std::unique_ptr<int16_t[]> scratchSamples;  // output of one buffer, reused from buffer to buffer
    size_t scratchCapacity = 0;                 // in samples, a multiple of 16
    std::vector<int16_t> collectedSamples;
};
