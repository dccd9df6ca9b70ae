#pragma once
// Turns decoded PCM buffers, as they arrive, into 21024 Hz mono 16-bit samples.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/MediaFormats.h"

inline constexpr uint32_t kOutputSampleRate = 21024;  // samples per second of the collected sound

// How one source frame becomes one 16-bit value.
enum class FrameReader { None, Mono8, Stereo8, Mono16, Stereo16 };

class AudioCapture {
public:
    // Chooses the frame reader for a connected format; false when the format is refused.
    [[nodiscard]] bool SetAudioFormat(const WaveFormatEx& format);
    // Back to the start of a stream: phase 0, accumulator 0, no collected samples.
    void Reset();
    // Resamples the whole frames of one buffer and appends them to the collected samples.
    void AppendAudio(const uint8_t* buffer, uint32_t length);

    std::vector<int16_t>& CollectedSamples() { return collectedSamples; }
    const std::vector<int16_t>& CollectedSamples() const { return collectedSamples; }

private:
    int32_t ReadFrame(uint32_t index) const;
    void Interpolate(uint32_t frameCount);
    void Average(uint32_t frameCount);
    void ReserveScratch(uint64_t sampleCount);

    uint32_t audioRate = 0;        // source frames per second
    uint32_t audioBlockAlign = 0;  // bytes per source frame
    FrameReader frameReader = FrameReader::None;
    const uint8_t* audioBuffer = nullptr;  // the buffer being converted; borrowed during AppendAudio
    int64_t resamplePhase = 0;             // ticks of 1/21024 source frame
    int32_t carriedFrame = 0;
    double averageSum = 0.0;
    std::vector<int16_t> scratchSamples;
    std::vector<int16_t> collectedSamples;
};
