#include "audio/AudioCapture.h"

namespace {

// A source frame spans 21024 ticks and an output sample spans R ticks (R the source rate),
// so the resampling ratio is exact in whole numbers for every rate.
constexpr int64_t kTicksPerFrame = kOutputSampleRate;

int32_t LoadS16(const uint8_t* at) {
    return int16_t(uint16_t(at[0] | at[1] << 8));
}

// The four readers: frame i of a little-endian buffer as one 16-bit value; stereo is mixed by
// the average, truncating toward zero.
struct Mono8 {
    static constexpr uint32_t kBytes = 1;
    static int32_t Read(const uint8_t* buffer, size_t i) { return (int32_t(buffer[i]) - 128) * 256; }
};
struct Stereo8 {
    static constexpr uint32_t kBytes = 2;
    static int32_t Read(const uint8_t* buffer, size_t i) {
        return ((int32_t(buffer[2 * i]) - 128) + (int32_t(buffer[2 * i + 1]) - 128)) / 2 * 256;
    }
};
struct Mono16 {
    static constexpr uint32_t kBytes = 2;
    static int32_t Read(const uint8_t* buffer, size_t i) { return LoadS16(buffer + 2 * i); }
};
struct Stereo16 {
    static constexpr uint32_t kBytes = 4;
    static int32_t Read(const uint8_t* buffer, size_t i) {
        return (LoadS16(buffer + 4 * i) + LoadS16(buffer + 4 * i + 2)) / 2;
    }
};

// Matches bits and channels exactly: only these four pairs occur in well-formed PCM.
FrameReader ReaderFor(const WaveFormatEx& format) {
    if (format.wFormatTag != WAVE_FORMAT_PCM) return FrameReader::None;
    if (format.wBitsPerSample == 8 && format.nChannels == 1) return FrameReader::Mono8;
    if (format.wBitsPerSample == 8 && format.nChannels == 2) return FrameReader::Stereo8;
    if (format.wBitsPerSample == 16 && format.nChannels == 1) return FrameReader::Mono16;
    if (format.wBitsPerSample == 16 && format.nChannels == 2) return FrameReader::Stereo16;
    return FrameReader::None;
}

uint32_t BytesPerFrame(FrameReader reader) {
    switch (reader) {
    case FrameReader::Mono8: return Mono8::kBytes;
    case FrameReader::Stereo8: return Stereo8::kBytes;
    case FrameReader::Mono16: return Mono16::kBytes;
    case FrameReader::Stereo16: return Stereo16::kBytes;
    case FrameReader::None: break;
    }
    return 0;
}

}  // namespace

bool AudioCapture::SetAudioFormat(const WaveFormatEx& format) {
    audioRate = format.nSamplesPerSec;
    audioBlockAlign = format.nBlockAlign;
    frameReader = ReaderFor(format);
    // A zero rate or alignment would divide by zero, a short alignment would read past a buffer's end.
    if (audioRate == 0 || audioBlockAlign < BytesPerFrame(frameReader)) frameReader = FrameReader::None;
    return frameReader != FrameReader::None;
}

void AudioCapture::Reset() {
    resamplePhase = 0;
    averageSum = 0;
    collectedSamples.clear();
}

void AudioCapture::AppendAudio(const uint8_t* buffer, uint32_t length) {
    if (frameReader == FrameReader::None || buffer == nullptr) return;
    const uint32_t frameCount = length / audioBlockAlign;
    if (frameCount == 0) return;
    size_t produced = 0;
    switch (frameReader) {
    case FrameReader::Mono8: produced = Resample<Mono8>(buffer, frameCount); break;
    case FrameReader::Stereo8: produced = Resample<Stereo8>(buffer, frameCount); break;
    case FrameReader::Mono16: produced = Resample<Mono16>(buffer, frameCount); break;
    case FrameReader::Stereo16: produced = Resample<Stereo16>(buffer, frameCount); break;
    case FrameReader::None: return;
    }
    collectedSamples.insert(collectedSamples.end(), scratchSamples.get(), scratchSamples.get() + produced);
}

template <typename Reader>
size_t AudioCapture::Resample(const uint8_t* buffer, uint32_t frameCount) {
    return audioRate <= kOutputSampleRate ? Interpolate<Reader>(buffer, frameCount)
                                          : Average<Reader>(buffer, frameCount);
}

// Output sample j of the run lies at source position j x R ticks, on the line between the two
// frames around it. The phase is the position of the next output sample relative to this
// buffer's frame 0; between buffers it lies in -21024..-1, -21024 being the carried frame.
// A sample whose right-hand frame is not in this buffer waits for the next one.
template <typename Reader>
size_t AudioCapture::Interpolate(const uint8_t* buffer, uint32_t frameCount) {
    const int64_t rate = audioRate;
    const int64_t lastPosition = int64_t(frameCount - 1) * kTicksPerFrame;
    const int64_t count = lastPosition > resamplePhase ? (lastPosition - resamplePhase + rate - 1) / rate : 0;
    ReserveScratch(uint64_t(count));
    int64_t position = resamplePhase;
    for (int64_t j = 0; j < count; ++j, position += rate) {
        int32_t left = 0, right = 0;
        int64_t offset = 0;
        if (position < 0) {
            left = carriedFrame;
            right = Reader::Read(buffer, 0);
            offset = position + kTicksPerFrame;
        } else {
            const int64_t frame = position / kTicksPerFrame;
            left = Reader::Read(buffer, size_t(frame));
            right = Reader::Read(buffer, size_t(frame) + 1);
            offset = position - frame * kTicksPerFrame;
        }
        // Truncated toward zero as a whole: always between left and right, so it fits in 16 bits.
        scratchSamples[j] = int16_t((kTicksPerFrame * left + (right - left) * offset) / kTicksPerFrame);
    }
    resamplePhase += count * rate - int64_t(frameCount) * kTicksPerFrame;
    carriedFrame = Reader::Read(buffer, frameCount - 1);
    return size_t(count);
}

// Output sample j of the run is the average of the source over ticks j x R .. (j + 1) x R, each
// frame weighted by the ticks it shares. The phase counts the ticks gathered for the pending
// sample (0..R-1); R > 21024, so one frame completes at most one sample.
template <typename Reader>
size_t AudioCapture::Average(const uint8_t* buffer, uint32_t frameCount) {
    const int64_t rate = audioRate;
    ReserveScratch((uint64_t(frameCount) * kTicksPerFrame + uint64_t(resamplePhase)) / uint64_t(rate));
    size_t produced = 0;
    for (uint32_t i = 0; i < frameCount; ++i) {
        const int64_t value = Reader::Read(buffer, i);
        if (resamplePhase + kTicksPerFrame < rate) {
            averageSum += kTicksPerFrame * value;
            resamplePhase += kTicksPerFrame;
        } else {
            scratchSamples[produced++] = int16_t((averageSum + (rate - resamplePhase) * value) / rate);
            resamplePhase += kTicksPerFrame - rate;
            averageSum = resamplePhase * value;
        }
    }
    return produced;
}

void AudioCapture::ReserveScratch(uint64_t sampleCount) {
    if (sampleCount <= scratchCapacity) return;
    scratchSamples.reset();
    scratchCapacity = size_t((sampleCount + 15) / 16 * 16);
    scratchSamples = std::make_unique_for_overwrite<int16_t[]>(scratchCapacity);
}
