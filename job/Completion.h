#pragma once
// How a conversion ends: the codes of the job, of the worker and of the image assembly in one
// enumeration, with what each means and what the user is told, in one table (Completion.cpp).
// The code travels as the value of the completion notice and is shown in the error message.
#include <cstdint>
#include <string>
#include <string_view>

// Unscoped, so that a code is the number the user sees wherever it is shown or posted.
enum CompletionCode : int32_t {
    kCompleted = 0,             // the job: the stream is complete; the worker: the image is written
    kNoStreamPath = 2,          // the job was given no stream file
    kParametersRejected = 3,    // the encoder refused the job's arguments
    kSourceNotBuilt = 4,        // the movie could not be opened or decoded (ErrorDetail says why)
    kRunFailed = 5,             // the decode failed, kept no frame, or was aborted at any step
    kNoDuration = 6,            // the movie states no length in frames
    kUnexpectedFailure = 999,   // an exception nobody expected
    kNoTemporaryFile = 1000,    // no temporary stream file could be made
    kOutputNotCreated = 1001,   // the image file could not be made or put in place
    kPlayerNotWritten = 1002,   // the player program did not reach the image
    kStreamNotOpened = 1004,    // the finished stream could not be opened
    kImageTooLarge = 1005,      // written complete all the same: larger than a cartridge
    kStreamNotRead = 1006,      // the finished stream could not be read
    kStreamNotWritten = 1007,   // the stream did not reach the image
    kDoesNotFit = 1008,         // no image of the movie fits the size asked for (ErrorDetail: what fits)
};

// The program's name, the title of its window and of its own messages.
inline constexpr std::string_view kProgramTitle = "KAVRO";

// What happened, in the user's words: the start of ErrorDetail where the cause is a file.
std::string_view CompletionCause(CompletionCode code);

struct CompletionReport {
    std::string title;  // empty for success: no message, only a sound
    std::string text;
};

// What the user is told when a run ends with this code, AbortRequested and ErrorDetail; the
// dialog and the command line tell the same.
CompletionReport DescribeCompletion(int completionCode, bool abortRequested, const std::string& errorDetail);
