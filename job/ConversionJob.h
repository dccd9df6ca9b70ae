#pragma once
// Drives one encoding: the encoder, the media source around it, the stream from header to
// audio block.
#include <cstdint>
#include <string>

#include "video/VideoPlan.h"

class AbortEvent;

inline constexpr int kJobSucceeded = 0;
inline constexpr int kJobNoStreamPath = -2;
inline constexpr int kJobParametersRejected = -3;
inline constexpr int kJobSourceFailed = -4;
inline constexpr int kJobRunFailed = -5;  // also an aborted run
inline constexpr int kJobNoDuration = -6;
inline constexpr int kJobUnexpected = -999;

struct JobArguments {
    std::string moviePath;
    std::string streamPath;
    Trims trims;
    bool autoTrim = false;
    int32_t width = -1;          // -1: automatic
    int32_t height = -1;
    int32_t frameRateMode = -1;  // -1 automatic, 0 every frame, 1..7 reductions
    int32_t preFilter = 3;
    int32_t bitrate = 120;       // kilobytes per second
    const AbortEvent* abortEvent = nullptr;  // polled by every step; none: the job cannot be aborted
};

namespace ConversionJob {
// Returns kJobSucceeded or one of the negative codes above (kJobRunFailed for an abort taken at
// any step, and for a run that kept no frame). Sends a NOTIFY_NOTE when the plan thins the
// frame rate to the display's or the image will plainly outgrow a cartridge. Never throws.
int Run(const JobArguments& arguments);
}  // namespace ConversionJob
