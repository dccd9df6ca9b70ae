#pragma once
// The scaler that turns a decoded frame into the picture as it is shown: B,G,R bytes at the
// square-pixel size, in the frame's own colour matrix and range.
#include "source/internal/Ffmpeg.h"

// A scaler from frames shaped like `frame` to `width` x `height` B,G,R; null when swscale
// refuses them.
ffmpeg::SwsPtr ShownPictureScaler(const AVFrame& frame, int width, int height);
