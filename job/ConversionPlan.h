#pragma once
// What a conversion will make of a movie, known before converting: the encoder's plan of the
// pictures, how many records and sound blocks the stream will hold and how large the image
// comes out at the budget. It runs by the conversion's own code: the picture plan, the movie's
// length on the source's clock, the frame-rate reduction, the audio block count rule.
#include <cstdint>
#include <string>

#include "job/ConversionJob.h"
#include "source/MovieFacts.h"
#include "video/VideoPlan.h"

struct ConversionPlan {
    VideoPlan video;           // as the encoder plans it
    MovieSpan span;            // the part converted
    int64_t sourceFrames = 0;  // decoded frames of the part on the source's clock
    uint64_t frames = 0;       // records the stream will hold
    uint64_t soundSamples = 0; // samples of the part's sound at the stream's rate
    uint32_t audioBlocks = 0;
    // The image's bytes when every picture takes its budget: pictures that need less, easy
    // ones, make it smaller; the rate control keeps it from growing beyond by more than half a
    // frame's budget (and the smallest frames Cinepak can write).
    uint64_t imageBytes = 0;
    int64_t playingUs = 0;  // one pass of the pictures on the handheld
};

// Plans converting the movie of `facts` with the job's arguments into `plan`: kCompleted, or
// the code the conversion would end with, with its message in `error`, when it would refuse
// the settings (kParametersRejected) or the picture (kSourceNotBuilt), the movie states no
// length (kNoDuration) or the part starts after the movie's end (kRunFailed).
CompletionCode PlanConversion(const MovieFacts& facts, const JobArguments& arguments, ConversionPlan& plan,
                              std::string& error);

// The rest of a plan, once the encoder has planned the pictures and the length is known.
ConversionPlan CompletePlan(const MovieFacts& facts, const VideoPlan& video, int64_t sourceFrames, const MovieSpan& span);

// The image for `frames` records at the budget and an audio block for `soundSamples`: player,
// stream header, records (each frame less the headers a record sheds), audio block.
uint64_t EstimateImageBytes(const VideoPlan& video, uint64_t frames, uint64_t soundSamples);

// One pass of `frames` records on the handheld.
int64_t PlayingTimeUs(const VideoPlan& video, uint64_t frames);

// The most records, with sound as long as they last, whose image at this plan's budget fits
// `bytes`: the longest part of the movie that fits.
uint64_t FramesFitting(const VideoPlan& video, uint64_t bytes);

// What the user is told of a part that starts at or after the movie's end.
std::string PartBeyondEndText(const MovieSpan& span);

// The player program's bytes at the start of every image.
uint64_t PlayerBytes();
