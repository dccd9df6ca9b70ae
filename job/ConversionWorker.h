#pragma once
// The procedure of the worker thread of one conversion.
#include <string>

#include "job/Completion.h"
#include "job/ConversionJob.h"
#include "job/ConversionRequest.h"

// Makes the temporary stream file, runs the job, assembles the cartridge image on success,
// deletes the temporary file and, as its last act, posts exactly one NOTIFY_COMPLETED with the
// CompletionCode to request.dialogWindow. Reads the request in place; returns the same code.
CompletionCode ConversionWorker(const ConversionRequest& request);

// The job's arguments for the request's settings, with the stream written to `streamPath`: the
// one mapping from what the user chose to what the encoder is given.
JobArguments MapRequest(const ConversionRequest& request, const std::string& streamPath);
