#include "job/ConversionWorker.h"

#include "job/AssembleRomImage.h"
#include "job/CartridgeFit.h"
#include "job/PlayerOptionsFor.h"
#include "job/ConversionSettings.h"
#include "job/TemporaryStream.h"
#include "platform/ConvertNotify.h"

namespace {

CompletionCode Complete(const ConversionRequest& request, CompletionCode code) {
    if (request.dialogWindow) request.dialogWindow->Post(NOTIFY_COMPLETED, code);
    return code;
}

// One conversion at the request's bitrate; the temporary stream is gone when it returns.
CompletionCode Convert(const ConversionRequest& request) {
    const TemporaryStream stream;
    if (!stream.Created()) return kNoTemporaryFile;
    const CompletionCode result = ConversionJob::Run(MapRequest(request, stream.Path()));
    return result != kCompleted ? result : AssembleRomImage(request, stream.Path());
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
    arguments.screen = {.screen = Screen(request.screen), .brightness = request.brightness, .gamma = request.gamma,
                        .saturation = request.saturation};
    arguments.soundCoder = AdpcmCoder(request.sound);
    arguments.span = MovieSpanOf(request);
    arguments.abortEvent = request.abortEvent;
    return arguments;
}

CompletionCode ConversionWorker(const ConversionRequest& request) {
    return Complete(request, request.fitBytes > 0 ? ConvertToFit(request) : Convert(request));
}
