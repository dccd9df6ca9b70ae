#include "job/ConversionWorker.h"

#include <unistd.h>

#include "job/AssembleRomImage.h"
#include "job/PlayerOptionsFor.h"
#include "job/ConversionSettings.h"
#include "platform/ConvertNotify.h"
#include "platform/TempFile.h"

namespace {

CompletionCode Complete(const ConversionRequest& request, CompletionCode code) {
    if (request.dialogWindow) request.dialogWindow->Post(NOTIFY_COMPLETED, code);
    return code;
}

}  // namespace

JobArguments MapRequest(const ConversionRequest& request, const std::string& streamPath) {
    JobArguments arguments;
    arguments.moviePath = request.moviePath;
    arguments.streamPath = streamPath;
    // The user's margins are those of the picture as displayed; the encoder's count rows of the
    // bottom-up frame buffer, whose first rows are the picture's lowest.
    const Trims manual{.left = request.trimLeft, .top = request.trimBottom, .right = request.trimRight,
                       .bottom = request.trimTop};
    if (UsesManualTrims(request.trimMode)) arguments.trims = manual;
    arguments.autoTrim = TrimsAutomatically(request.trimMode);
    arguments.width = request.autoSize != 0 ? -1 : request.width;
    arguments.height = request.autoSize != 0 ? -1 : request.height;
    arguments.frameRateMode = request.frameRateChoice - 1;
    arguments.preFilter = request.preFilter;
    arguments.bitrate = request.bitrate;
    arguments.seekSpacingRefreshes = PlayerOptionsFor(request).seekSpacingRefreshes;
    arguments.abortEvent = request.abortEvent;
    return arguments;
}

CompletionCode ConversionWorker(const ConversionRequest& request) {
    const std::optional<std::string> streamPath = CreateTempFile("KAVRO");
    if (!streamPath) return Complete(request, kNoTemporaryFile);
    const CompletionCode result = ConversionJob::Run(MapRequest(request, *streamPath));
    const CompletionCode code = result != kCompleted ? result : AssembleRomImage(request, *streamPath);
    unlink(streamPath->c_str());
    return Complete(request, code);
}
