#pragma once
// Little-endian PCM bytes and wave formats for the sound tests.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include <gtest/gtest.h>

#include "audio/AudioCapture.h"
#include "platform/MediaFormats.h"

inline WaveFormatEx PcmFormat(uint32_t rate, uint16_t channels, uint16_t bits) {
    WaveFormatEx format;
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.nBlockAlign = uint16_t(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    format.wBitsPerSample = bits;
    return format;
}

// Signed 16-bit values as little-endian bytes (interleaved as given).
inline std::vector<uint8_t> Pcm16(std::span<const int16_t> values) {
    std::vector<uint8_t> bytes;
    for (int16_t value : values) {
        bytes.push_back(uint8_t(uint16_t(value) & 0xFF));
        bytes.push_back(uint8_t(uint16_t(value) >> 8));
    }
    return bytes;
}

inline std::vector<uint8_t> Pcm16(std::initializer_list<int16_t> values) {
    return Pcm16(std::span<const int16_t>(values.begin(), values.size()));
}

// A capture that has accepted `format`; fails the test otherwise.
inline AudioCapture CaptureFor(const WaveFormatEx& format) {
    AudioCapture capture;
    EXPECT_TRUE(capture.SetAudioFormat(format));
    return capture;
}

inline void Append(AudioCapture& capture, std::span<const uint8_t> bytes) {
    capture.AppendAudio(bytes.data(), uint32_t(bytes.size()));
}
