#pragma once
// A cartridge image that fits a size: the data rate whose image fills it, chosen from the
// plan's estimate and made sure of on the finished stream, converting again with a mended
// rate while the image passes the size or leaves too much of it empty.
#include <cstdint>
#include <optional>
#include <string>

#include "job/Completion.h"
#include "job/ConversionPlan.h"
#include "job/ConversionRequest.h"
#include "job/TemporaryStream.h"

// What a fitted run chose and made.
struct FitReport {
    uint64_t sizeBytes = 0;       // the size asked for
    uint32_t bytesPerSecond = 0;  // the data rate of the image written
    uint64_t imageBytes = 0;      // the image written
    int passes = 0;               // conversions run for it
};

// The rates a fit chooses from: up to the dialog's highest bitrate, and an image that fills at
// least this share of the size unless even that rate leaves room.
inline constexpr uint32_t kFitHighestBytesPerSecond = 500 * 1024;
inline constexpr double kFitLeastFill = 0.95;

// The least rate a fit uses: a kilobyte a second, or what the smallest frames Cinepak writes
// cost at the plan's frame rate, whichever is more.
uint32_t LowestFitRate(const VideoPlan& video);

// Plans the conversion (as PlanConversion does) at the rate a fit starts with: the highest,
// from LowestFitRate to kFitHighestBytesPerSecond, whose estimated image is at most
// `sizeBytes`; at the lowest when not even its image is (plan.imageBytes then tells).
CompletionCode PlanToFit(const MovieFacts& facts, JobArguments arguments, uint64_t sizeBytes, ConversionPlan& plan,
                         std::string& error);

// The user's words for a movie that cannot fit `sizeBytes`, planned at the lowest rate: how
// much of it would, and why not.
std::string DoesNotFitText(const ConversionPlan& plan, uint64_t sizeBytes);

// A size as the dialog names it: "4 MB" for whole MiB, else its bytes.
std::string SizeName(uint64_t sizeBytes);

// The stream of the request's movie whose image (the player and this stream) fits `sizeBytes`
// and fills it the most, into `best`, with what was chosen in `report`: kCompleted, or
// kDoesNotFit at once (nothing converted) when the movie cannot fit, or the failed pass's code.
CompletionCode FitStream(const ConversionRequest& request, uint64_t sizeBytes, std::optional<TemporaryStream>& best,
                         FitReport& report);

// The worker's run for a request with fitBytes: refuses at once (kDoesNotFit, nothing written)
// when the movie cannot fit, else converts as often as needed, assembles the image that fits
// and fills it the most, and tells request.fitReport. Progress of all passes goes on one bar.
CompletionCode ConvertToFit(const ConversionRequest& request);
