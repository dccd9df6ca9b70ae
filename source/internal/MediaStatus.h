#pragma once
// Status codes inside the media source: 0 or more is success, negative a failure. Failures
// are FFmpeg's AVERROR values, whose text av_strerror gives; the refusals below carry fixed
// messages instead.
#include <string>

#include "source/internal/Ffmpeg.h"

using MediaStatus = int;

// The user's abort.
inline constexpr MediaStatus kStatusAborted = AVERROR(ECANCELED);
// A file without a video stream (sound alone, a picture-less container).
inline constexpr MediaStatus kStatusNoVideo = FFERRTAG('K', 'N', 'V', 'S');
// A video stream that cannot be delivered: no size, or a pixel format the scaler lacks.
inline constexpr MediaStatus kStatusUnsupportedVideo = FFERRTAG('K', 'U', 'V', 'F');
// A video stream that the picture plan refuses: unusable to it, or trimmed to nothing.
inline constexpr MediaStatus kStatusPictureRefused = FFERRTAG('K', 'T', 'R', 'M');
// A sound stream whose format the sound capture cannot use.
inline constexpr MediaStatus kStatusUnsupportedAudio = FFERRTAG('K', 'U', 'A', 'F');

// What the user is told of a failed status: the fixed message of a refusal, else FFmpeg's text.
std::string MediaFailureText(MediaStatus status);
