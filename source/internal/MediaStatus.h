#pragma once
// Status codes inside the media source: 0 or more is success, negative a failure. Failures
// are FFmpeg's AVERROR values, whose text av_strerror gives; the two refusals below carry
// fixed messages instead.
#include "source/internal/Ffmpeg.h"

using MediaStatus = int;

// The user's abort.
inline constexpr MediaStatus kStatusAborted = AVERROR(ECANCELED);
// A video stream that is missing or that the picture plan cannot use.
inline constexpr MediaStatus kStatusUnsupportedVideo = FFERRTAG('K', 'U', 'V', 'F');
// A sound stream whose format the sound capture cannot use.
inline constexpr MediaStatus kStatusUnsupportedAudio = FFERRTAG('K', 'U', 'A', 'F');
