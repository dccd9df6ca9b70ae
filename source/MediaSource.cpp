#include "source/MediaSource.h"

#include <chrono>
#include <climits>

#include "platform/RunState.h"
#include "source/AviProbe.h"
#include "source/SampleSinks.h"
#include "source/internal/DecodingPipeline.h"
#include "video/MovieEncoder.h"

namespace {

constexpr const char* kUnsupportedVideoText = "未対応の映像フォーマットです";
constexpr const char* kUnsupportedAudioText = "未対応の音声フォーマットです";
constexpr std::chrono::milliseconds kWaitStep{500};

// ErrorDetail for a failed build: a fixed message for the two refusals, else FFmpeg's text.
void StoreFailure(MediaStatus status) {
    if (status == kStatusUnsupportedVideo)
        ErrorDetail = kUnsupportedVideoText;
    else if (status == kStatusUnsupportedAudio)
        ErrorDetail = kUnsupportedAudioText;
    else
        StoreMediaErrorText(status);
}

// The rate the plan read from the decoded format: the clock the frames are delivered on.
AVRational SourceRateOf(const VideoPlan& plan) {
    AVRational rate{0, 1};
    av_reduce(&rate.num, &rate.den, plan.sourceRateNumerator, plan.sourceRateDenominator, INT_MAX);
    return rate;
}

// Opens the streams and hands their formats to the encoder; the video always first, so
// that a movie unusable on both counts reports its video.
MediaStatus ConnectStreams(DecodingPipeline& pipeline, const std::string& moviePath, MovieEncoder& encoder) {
    if (const MediaStatus status = pipeline.OpenInput(moviePath); status < 0) return status;
    if (const MediaStatus status = pipeline.OpenVideo(); status < 0) return status;
    if (!encoder.SetupVideo(pipeline.VideoFormat())) return kStatusUnsupportedVideo;
    pipeline.PaceVideo(SourceRateOf(encoder.Plan()));
    if (const MediaStatus status = pipeline.OpenAudio(); status < 0) return status;
    if (pipeline.HasAudio() && !encoder.SetAudioFormat(pipeline.AudioFormat())) return kStatusUnsupportedAudio;
    return 0;
}

// Gives the grabber a new sink of the kind, feeding the encoder; the grabber holds its only reference.
template <class Sink>
void RegisterSink(SampleGrabber& grabber, MovieEncoder& encoder) {
    ComPtr<Sink> sink = Sink::Create();
    sink->SetEncoder(&encoder);
    grabber.SetCallback(ComPtr<ISampleGrabberCB>(sink.get()));
}

// Waits in steps of 500 ms for the streams to end, polling the abort event between steps.
bool WaitForEndOrAbort(DecodingPipeline& pipeline, NamedEvent& abortEvent) {
    while (!pipeline.WaitForCompletion(kWaitStep)) {
        if (abortEvent.TestAndReset()) {
            AbortRequested = true;
            StoreMediaErrorText(kStatusAborted);
            return false;
        }
    }
    return true;
}

}  // namespace

bool BuildSourceGraph(std::unique_ptr<SourceGraph>& graph, const std::string& moviePath, MovieEncoder& encoder) {
    uint32_t rate = 0;
    uint32_t scale = 0;
    if (ProbeAviFrameRate(moviePath, rate, scale)) encoder.SetProbedRate(rate, scale);

    graph = std::make_unique<SourceGraph>();
    RegisterSink<VideoSampleSink>(graph->VideoGrabber(), encoder);
    RegisterSink<AudioSampleSink>(graph->AudioGrabber(), encoder);

    if (const MediaStatus status = ConnectStreams(graph->Pipeline(), moviePath, encoder); status < 0) {
        StoreFailure(status);
        DetachSampleSinks(graph.get());
        return false;
    }
    return true;
}

bool QuerySourceLength(SourceGraph& graph, int64_t& length) {
    const std::optional<int64_t> frames = graph.Pipeline().LengthInFrames();
    if (!frames) return false;
    length = *frames;
    return true;
}

bool RunSourceGraph(SourceGraph& graph, const std::string& abortEventName) {
    DecodingPipeline& pipeline = graph.Pipeline();
    // Created (or opened) for this run alone; it goes when the run returns.
    NamedEvent abortEvent = NamedEvent::CreateOrOpen(abortEventName);
    const MediaStatus started = pipeline.Run();
    // A run that could not start delivered nothing: it fails rather than finish an empty stream.
    if (started < 0) StoreMediaErrorText(started);
    const bool completed = started >= 0 && WaitForEndOrAbort(pipeline, abortEvent);
    pipeline.Stop();
    return completed;
}

void DetachSampleSinks(SourceGraph* graph) {
    if (!graph) return;
    graph->VideoGrabber().SetCallback({});
    graph->AudioGrabber().SetCallback({});
}

void StoreMediaErrorText(int32_t status) {
    char text[160] = {};
    av_strerror(status, text, sizeof text);
    ErrorDetail = text;
}
