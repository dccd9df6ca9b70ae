#pragma once
// What a movie states about itself, read the way the conversion opens it but without decoding
// it: its container and codecs, the pictures the encoder would be given, their clock and
// length, and its sound. A part of a movie to convert, on the movie's own time line.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/AbortEvent.h"
#include "platform/MediaFormats.h"
#include "video/VideoPlan.h"

// A part of the movie in microseconds, counted from where its picture starts.
struct MovieSpan {
    int64_t startUs = 0;
    std::optional<int64_t> endUs;  // none: to the movie's end

    bool Whole() const { return startUs == 0 && !endUs; }
};

// How long the picture lasts, as the file states it; every field 0 where it states nothing.
struct PictureTiming {
    int64_t streamDuration = 0;  // the video stream's own, in its ticks
    int32_t timeBaseNumerator = 0;
    int32_t timeBaseDenominator = 1;
    int64_t durationUs = 0;  // the file's, from where the picture starts
    int64_t frameCount = 0;  // the video stream's frames
};

struct SoundFacts {
    std::string codec;  // FFmpeg's name of the codec
    uint32_t sampleRate = 0;
    int channels = 0;     // as stored; more than two are mixed down
    int64_t durationUs = 0;  // from where the picture starts to the sound's end; 0: not stated
};

struct MovieFacts {
    std::string container;      // FFmpeg's short name of the format, "avi", "mpeg", "mov,mp4,m4a,3gp,3g2,mj2"
    std::string containerName;  // its long name
    std::string videoCodec;     // FFmpeg's name of the codec
    int32_t codedWidth = 0, codedHeight = 0;
    // The shown picture's aspect (pixel aspect and rotation applied), reduced; 0 when unknown.
    int32_t displayAspectWidth = 0, displayAspectHeight = 0;
    VideoInfoHeader videoFormat;                 // the pictures as the encoder would get them
    uint32_t probedRate = 0, probedScale = 0;    // the AVI probe's frame rate; 0: none
    PictureTiming timing;
    bool lengthScanned = false;  // the file states no length: its packets were read for it
    std::optional<SoundFacts> sound;
};

// Opens the movie as the conversion does and reads what it states, reading its packets to the
// end where it states no length. Touches no process-wide value, so it may run beside a
// conversion. Waiting for the file's data ends when `abortEvent` (may be null) is signalled.
// False with the reason in `error`, the conversion's own words.
[[nodiscard]] bool ReadMovieFacts(const std::string& path, const AbortEvent* abortEvent, MovieFacts& facts,
                                  std::string& error);

// The movie's length in frames of the plan's source clock (the picture's duration times its
// rate, rounded to nearest), or of the part: from its start to its end or the movie's, none
// when nothing is known; 0 for a part that starts at or after the movie's end. The same count
// the conversion runs by.
std::optional<int64_t> LengthInFrames(const PictureTiming& timing, const VideoPlan& plan, const MovieSpan& span);
