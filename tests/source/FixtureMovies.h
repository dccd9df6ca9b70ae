#pragma once
// Small movies made with FFmpeg's own encoders, with pictures and sound known to the tests:
// every picture carries its frame number and an asymmetric colour layout, every channel a
// tone of its own.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

struct FixtureVideo {
    AVCodecID codec = AV_CODEC_ID_RAWVIDEO;
    // None: the codec's usual one. PAL8 pictures get a fixed palette of 3-3-2 bit colours.
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    int width = 128;
    int height = 96;
    AVRational frameRate{25, 1};
    int frameCount = 25;
    int maxBFrames = 0;  // pictures the encoder may code out of order
    // libx264's preset and quality for H.264: the fast default codes without the loop filter
    // and with the simpler entropy coder; a slower preset codes as downloads are.
    const char* x264Preset = "ultrafast";
    int x264Quality = 16;
    int keyFrameInterval = 12;  // pictures from one key picture to the next
    // Draws a whole frame, rows top first, width x height points; empty: FixturePixel.
    std::function<void(int frameIndex, std::span<Rgb> picture)> draw;
    // Ticks of the presentation times; {0, 1}: one tick per frame at frameRate.
    AVRational timeBase{0, 1};
    // Presentation time of picture `frameIndex` in ticks, also asked for frameCount (the end of
    // the last picture); empty: frameIndex. Gaps make the AVI muxer write zero-length chunks.
    std::function<int64_t(int frameIndex)> pts;
    AVRational sampleAspect{0, 1};  // {0, 1}: not stated
    // The display matrix the file states (libavutil/display.h); none: no side data.
    std::optional<std::array<int32_t, 9>> displayMatrix;
};

struct FixtureAudio {
    AVCodecID codec = AV_CODEC_ID_PCM_S16LE;
    int sampleRate = 44100;
    uint64_t channelMask = AV_CH_LAYOUT_STEREO;
    // One tone per channel in Hz; 0 keeps a channel silent.
    std::vector<double> toneHz{440.0, 660.0};
    int sampleCount = 44100;
    // Sample `index` of a channel at full 16-bit scale; empty: the tones.
    std::function<int16_t(int channel, int index)> sound;
    int64_t startSample = 0;  // presentation time of sample 0, in samples
    // A gap of `gapSamples` in the timestamps before sample `gapBeforeSample` (a multiple of
    // the coder's frame, 1024 samples for PCM).
    int gapBeforeSample = 0;
    int64_t gapSamples = 0;
};

struct FixtureMovie {
    const char* container = "avi";  // FFmpeg's muxer name
    std::optional<FixtureVideo> video = FixtureVideo{};
    std::optional<FixtureAudio> audio;
    bool audioFirst = false;  // the sound stream becomes the file's first stream
};

enum class FixtureStatus { Written, EncoderMissing, Failed };

// An MPEG program stream of so many frames: MPEG-1 pictures and MP2 sound. It states no length.
FixtureMovie ProgramStreamMovie(int frameCount);

// Writes the movie to `path`. On anything but Written, `message` says what went wrong.
FixtureStatus WriteFixtureMovie(const std::string& path, const FixtureMovie& movie, std::string& message);

// The colour of a picture point, in display orientation (y = 0 is the top row). The top
// quarter shows the frame number in eight bits, most significant first, white for 1;
// below it the left and right halves of the upper and lower parts are red, green, blue
// and yellow (levels 220 and 30), with a grain of at most 12 either way.
Rgb FixturePixel(int frameIndex, int x, int y, int width, int height);

// Sample `index` of a channel: the audio's own sound, else a tone of amplitude 8000 (16-bit)
// or 100 around 128 (8-bit).
int16_t FixtureSample16(const FixtureAudio& audio, int channel, int index);
uint8_t FixtureSample8(const FixtureAudio& audio, int channel, int index);
