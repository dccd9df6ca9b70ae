#include "source/MediaSource.h"

#include <chrono>

#include "platform/RunState.h"
#include "source/AviProbe.h"
#include "source/SampleSinks.h"
#include "source/internal/DecodingPipeline.h"
#include "video/MovieEncoder.h"

namespace {

constexpr const char* kUnsupportedVideoText = "未対応の映像フォーマットです";
constexpr const char* kUnsupportedAudioText = "未対応の音声フォーマットです";
constexpr std::chrono::milliseconds kWaitStep{500};

void StoreFailure(MediaStatus status) {
    if (status == kStatusUnsupportedVideo)
        ErrorDetail = kUnsupportedVideoText;
    else if (status == kStatusUnsupportedAudio)
        ErrorDetail = kUnsupportedAudioText;
    else
        StoreMediaErrorText(status);
}

// Opens the streams and hands their formats to the encoder; the video always first, so
// that a movie unusable on both counts reports its video.
MediaStatus ConnectStreams(DecodingPipeline& pipeline, const std::string& moviePath, MovieEncoder& encoder) {
    if (const MediaStatus status = pipeline.OpenInput(moviePath); status < 0) return status;
    if (const MediaStatus status = pipeline.OpenVideo(); status < 0) return status;
    if (!encoder.SetupVideo(pipeline.VideoFormat())) return kStatusUnsupportedVideo;
    if (const MediaStatus status = pipeline.OpenAudio(); status < 0) return status;
    if (pipeline.HasAudio() && !encoder.SetAudioFormat(pipeline.AudioFormat())) return kStatusUnsupportedAudio;
    return 0;
}

}  // namespace

bool BuildSourceGraph(std::unique_ptr<SourceGraph>& graph, const std::string& moviePath, MovieEncoder& encoder) {
    uint32_t rate = 0;
    uint32_t scale = 0;
    if (ProbeAviFrameRate(moviePath, rate, scale)) encoder.SetProbedRate(rate, scale);

    graph = std::make_unique<SourceGraph>();
    ComPtr<VideoSampleSink> videoSink = VideoSampleSink::Create();
    videoSink->SetEncoder(&encoder);
    graph->VideoGrabber().SetCallback(ComPtr<ISampleGrabberCB>(videoSink.get()));
    ComPtr<AudioSampleSink> audioSink = AudioSampleSink::Create();
    audioSink->SetEncoder(&encoder);
    graph->AudioGrabber().SetCallback(ComPtr<ISampleGrabberCB>(audioSink.get()));

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
    NamedEvent abortEvent = NamedEvent::CreateOrOpen(abortEventName);
    bool completed = false;
    if (const MediaStatus status = pipeline.Run(); status < 0) {
        StoreMediaErrorText(status);
    } else {
        for (;;) {
            if (pipeline.WaitForCompletion(kWaitStep)) {
                completed = true;
                break;
            }
            if (abortEvent.TestAndReset()) {
                AbortRequested = true;
                StoreMediaErrorText(kStatusAborted);
                break;
            }
        }
    }
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
