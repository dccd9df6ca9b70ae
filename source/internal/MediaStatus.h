#pragma once
// Status codes inside the media source: 0 or more is success, negative a failure. Failures
// are FFmpeg's AVERROR values, whose text av_strerror gives; the refusals below carry fixed
// messages instead.
#include "source/internal/Ffmpeg.h"

using MediaStatus = int;

// The user's abort.
inline constexpr MediaStatus kStatusAborted = AVERROR(ECANCELED);
// A file without a video stream (sound alone, a picture-less container).
inline constexpr MediaStatus kStatusNoVideo = FFERRTAG('K', 'N', 'V', 'S');
// A video stream that the picture plan cannot use.
inline constexpr MediaStatus kStatusUnsupportedVideo = FFERRTAG('K', 'U', 'V', 'F');
// The same, because the margins leave nothing of the picture.
inline constexpr MediaStatus kStatusTrimmedAway = FFERRTAG('K', 'T', 'R', 'M');
// A sound stream whose format the sound capture cannot use.
inline constexpr MediaStatus kStatusUnsupportedAudio = FFERRTAG('K', 'U', 'A', 'F');
