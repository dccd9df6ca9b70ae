#pragma once
// Process-wide values of one conversion run, shared between the run loop, the encoder
// and the window that reports the outcome. Written before the worker starts or before
// the completion notice is posted, read after it; the notice orders the accesses.
#include <atomic>
#include <string>

// Set by the run loop when it sees the abort event; cleared when a run starts.
extern std::atomic<bool> AbortRequested;

// The cause of the run's failure, shown after its message (UTF-8): the media source's text
// (at most 159 bytes) or the job's; emptied when a run starts.
extern std::string ErrorDetail;
