#pragma once
// The procedure of the worker thread of one conversion.
#include "job/ConversionRequest.h"

// Makes the temporary stream file, runs the job, assembles the cartridge image on success,
// deletes the temporary file and, as its last act, posts exactly one NOTIFY_COMPLETED with the
// CompletionCode to request.dialogWindow. Reads the request in place; returns the same code.
int ConversionWorker(const ConversionRequest& request);
