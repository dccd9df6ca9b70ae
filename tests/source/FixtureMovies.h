#pragma once
// Small movies made with FFmpeg's own encoders, with pictures and sound known to the tests:
// every picture carries its frame number and an asymmetric colour layout, every channel a
// tone of its own.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

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
    // Draws a whole frame, rows top first, width x height points; empty: FixturePixel.
    std::function<void(int frameIndex, std::span<Rgb> picture)> draw;
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
};

struct FixtureMovie {
    const char* container = "avi";  // FFmpeg's muxer name
    std::optional<FixtureVideo> video = FixtureVideo{};
    std::optional<FixtureAudio> audio;
    bool audioFirst = false;  // the sound stream becomes the file's first stream
};

enum class FixtureStatus { Written, EncoderMissing, Failed };

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
