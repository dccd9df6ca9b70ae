#include "job/ConversionWorker.h"

#include <unistd.h>

#include "job/AssembleRomImage.h"
#include "job/ConversionJob.h"
#include "platform/ConvertNotify.h"
#include "platform/TempFile.h"

namespace {

constexpr int kNoTemporaryFile = 1000;

JobArguments MapRequest(const ConversionRequest& request, const std::string& streamPath) {
    JobArguments arguments;
    arguments.moviePath = request.moviePath;
    arguments.streamPath = streamPath;
    const Trims manual{request.trimLeft, request.trimTop, request.trimRight, request.trimBottom};
    switch (request.trimMode) {
    case 1: arguments.autoTrim = true; break;
    case 2: arguments.trims = manual; arguments.autoTrim = true; break;
    case 3: arguments.trims = manual; break;
    default: break;
    }
    arguments.width = request.autoSize != 0 ? -1 : request.width;
    arguments.height = request.autoSize != 0 ? -1 : request.height;
    arguments.frameRateMode = request.frameRateChoice - 1;
    arguments.preFilter = request.preFilter;
    arguments.bitrate = request.bitrate;
    arguments.abortEvent = request.abortEvent;
    return arguments;
}

int Complete(const ConversionRequest& request, int code) {
    if (request.dialogWindow) request.dialogWindow->Post(NOTIFY_COMPLETED, code);
    return code;
}

}  // namespace

int ConversionWorker(const ConversionRequest& request) {
    const std::optional<std::string> streamPath = CreateTempFile("KAVRO");
    if (!streamPath) return Complete(request, kNoTemporaryFile);
    const int result = ConversionJob::Run(MapRequest(request, *streamPath));
    const int code = result < 0 ? -result : AssembleRomImage(request, *streamPath);
    unlink(streamPath->c_str());
    return Complete(request, code);
}
