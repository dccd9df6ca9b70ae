#include "source/MediaSource.h"

#include <chrono>

#include <fmt/format.h>

#include "platform/RunState.h"
#include "source/AviProbe.h"
#include "source/SampleSinks.h"
#include "source/internal/DecodingPipeline.h"
#include "source/internal/MovieLength.h"
#include "video/MovieEncoder.h"

namespace {

constexpr const char* kUnsupportedVideoText = "未対応の映像フォーマットです";
constexpr const char* kNoVideoText = "映像ストリームがありません";
constexpr const char* kUnsupportedAudioText = "未対応の音声フォーマットです";
constexpr std::chrono::milliseconds kWaitStep{500};

// The decoding library's text for a status, at most 159 bytes.
std::string LibraryText(int32_t status) {
    char text[160] = {};
    av_strerror(status, text, sizeof text);
    return text;
}

}  // namespace

std::string MediaFailureText(MediaStatus status) {
    if (status == kStatusNoVideo) return kNoVideoText;
    if (status == kStatusUnsupportedVideo) return kUnsupportedVideoText;
    if (status == kStatusUnsupportedAudio) return kUnsupportedAudioText;
    return LibraryText(status);
}

std::string PictureRefusalText(const VideoPlan& plan, const BitmapInfoHeader& frame) {
    if (MarginsLeavePicture(plan, frame)) return kUnsupportedVideoText;
    return fmt::format("{}\n切り取りの後に映像が残りません: {} x {} の映像から左右 {} + {}、上下 {} + {}", kUnsupportedVideoText,
                       frame.biWidth, frame.biHeight, plan.trimLeft, plan.trimRight, plan.trimBottom,
                       plan.trimTop);  // the buffer's last rows are the picture's top
}

namespace {

// ErrorDetail for a failed build: a fixed message for the refusals, else FFmpeg's text.
void StoreFailure(MediaStatus status, const VideoPlan& plan, const DecodingPipeline& pipeline) {
    ErrorDetail = status == kStatusPictureRefused ? PictureRefusalText(plan, pipeline.VideoFormat().bmiHeader)
                                               : MediaFailureText(status);
}

// Opens the streams and hands their formats to the encoder; the video always first, so
// that a movie unusable on both counts reports its video.
MediaStatus ConnectStreams(DecodingPipeline& pipeline, const std::string& moviePath, MovieEncoder& encoder,
                           const AbortEvent* abortEvent, const MovieSpan& span) {
    if (const MediaStatus status = pipeline.OpenInput(moviePath, abortEvent); status < 0) return status;
    pipeline.CutTo(span);
    if (const MediaStatus status = pipeline.OpenVideo(); status < 0) return status;
    if (!encoder.SetupVideo(pipeline.VideoFormat())) return kStatusPictureRefused;
    pipeline.PaceVideo(SourceRateOf(encoder.Plan()));
    pipeline.ShowOnlyRecordsOf(encoder.Plan());
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
bool WaitForEndOrAbort(DecodingPipeline& pipeline, const AbortEvent* abortEvent) {
    while (!pipeline.WaitForCompletion(kWaitStep)) {
        if (abortEvent && abortEvent->IsSignalled()) {
            AbortRequested = true;
            StoreMediaErrorText(kStatusAborted);
            return false;
        }
    }
    return true;
}

}  // namespace

bool BuildSourceGraph(std::unique_ptr<SourceGraph>& graph, const std::string& moviePath, MovieEncoder& encoder,
                      const AbortEvent* abortEvent, const MovieSpan& span) {
    uint32_t rate = 0;
    uint32_t scale = 0;
    if (ProbeAviFrameRate(moviePath, rate, scale)) encoder.SetProbedRate(rate, scale);

    graph = std::make_unique<SourceGraph>();
    RegisterSink<VideoSampleSink>(graph->VideoGrabber(), encoder);
    RegisterSink<AudioSampleSink>(graph->AudioGrabber(), encoder);

    if (const MediaStatus status = ConnectStreams(graph->Pipeline(), moviePath, encoder, abortEvent, span); status < 0) {
        // An abort ends the waits for data with one status and FFmpeg's loops with another.
        StoreFailure(abortEvent && abortEvent->IsSignalled() ? kStatusAborted : status, encoder.Plan(), graph->Pipeline());
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

bool RunSourceGraph(SourceGraph& graph, const AbortEvent* abortEvent) {
    DecodingPipeline& pipeline = graph.Pipeline();
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
    ErrorDetail = LibraryText(status);
}

MovieFacts QueryMovieFacts(SourceGraph& graph) {
    return graph.Pipeline().Facts();
}
