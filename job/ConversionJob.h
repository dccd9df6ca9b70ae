#pragma once
// Drives one encoding: the encoder, the media source around it, the stream from header to
// audio block.
#include <cstdint>
#include <optional>
#include <string>

#include "audio/AdpcmEncoder.h"
#include "job/Completion.h"
#include "source/MovieFacts.h"
#include "video/ScreenAdjustment.h"
#include "video/VideoPlan.h"

class AbortEvent;

struct JobArguments {
    std::string moviePath;
    std::string streamPath;
    Trims trims;  // rows of the bottom-up frame buffer: `top` cuts the picture's lower edge
    bool autoTrim = false;
    int32_t width = -1;          // -1: automatic
    int32_t height = -1;
    int32_t frameRateMode = -1;  // -1 automatic, 0 every frame, 1..7 reductions
    int32_t preFilter = 3;
    int32_t bitrate = 120;       // kilobytes per second
    uint32_t seekSpacingRefreshes = 0;  // seek points every this many display refreshes; 0: none
    // A rate finer than `bitrate`, in bytes per second (at least 1024); none: bitrate x 1024.
    std::optional<uint32_t> byteRate;
    ScreenAdjustment screen;     // the screen the pictures are made for; the default leaves them
    AdpcmCoder soundCoder = AdpcmCoder::Exact;
    MovieSpan span;              // the part of the movie to convert
    bool notePlan = true;        // false: the remarks on the plan were made by an earlier pass
    const AbortEvent* abortEvent = nullptr;  // polled by every step; none: the job cannot be aborted
};

class MovieEncoder;

// Gives the encoder the arguments' settings, as a conversion and its plan both start: false
// when it refuses them (kParametersRejected).
[[nodiscard]] bool ConfigureEncoder(MovieEncoder& encoder, const JobArguments& arguments);

namespace ConversionJob {
// Returns kCompleted or the code of the step that failed: kNoStreamPath, kParametersRejected,
// kSourceNotBuilt, kNoDuration, kRunFailed (also for an abort taken at any step, and for a run
// that kept no frame) or kUnexpectedFailure. Sends a NOTIFY_NOTE when the plan thins the frame
// rate to the display's or the image's estimate outgrows a cartridge. A movie that states no
// length has its packets read for it first. Never throws.
CompletionCode Run(const JobArguments& arguments);
}  // namespace ConversionJob
