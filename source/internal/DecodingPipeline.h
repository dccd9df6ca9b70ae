#pragma once
// The decoding machinery of a SourceGraph: the opened movie, the decoders of its best video
// and best audio stream, and while it runs one demux thread feeding the two decode threads,
// which deliver to the graph's sample grabbers.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/AbortEvent.h"
#include "platform/MediaFormats.h"
#include "source/MovieFacts.h"
#include "source/SampleGrabber.h"
#include "source/internal/AudioDecoder.h"
#include "source/internal/Ffmpeg.h"
#include "source/internal/MediaStatus.h"
#include "source/internal/MovieFile.h"
#include "source/internal/PacketQueue.h"
#include "source/internal/VideoDecoder.h"

class DecodingPipeline {
public:
    // Decoded pictures go to `videoGrabber`, decoded sound to `audioGrabber`; both outlive this.
    DecodingPipeline(SampleGrabber& videoGrabber, SampleGrabber& audioGrabber);
    // Stops the threads first.
    ~DecodingPipeline();
    DecodingPipeline(const DecodingPipeline&) = delete;
    DecodingPipeline& operator=(const DecodingPipeline&) = delete;

    // Opens the movie and reads what its streams are. Every wait for the file's data, then
    // and while decoding, ends with kStatusAborted once `abortEvent` (may be null) is signalled.
    [[nodiscard]] MediaStatus OpenInput(const std::string& path, const AbortEvent* abortEvent);
    // Opens the decoder of the best video stream; kStatusNoVideo when there is none.
    [[nodiscard]] MediaStatus OpenVideo();
    // Opens the decoder of the best audio stream; a movie without one gets no audio path.
    [[nodiscard]] MediaStatus OpenAudio();

    // The part of the movie to deliver; the whole movie unless told otherwise. Before
    // PaceVideo and OpenAudio.
    void CutTo(const MovieSpan& part) { span = part; }

    const VideoInfoHeader& VideoFormat() const { return video->Format(); }
    bool HasAudio() const { return audio != nullptr; }
    const WaveFormatEx& AudioFormat() const { return audio->Format(); }
    // Delivers the pictures on a grid of `frameRate` frames a second: the rate the encoder
    // plans with. Before Run.
    void PaceVideo(AVRational frameRate);
    // Converts only the pictures that become records of `plan`; the other slots are delivered
    // without bytes. Before Run.
    void ShowOnlyRecordsOf(const VideoPlan& plan) { video->ShowOnlyRecordsOf(plan); }
    // The movie's length in frames of that grid: the picture's duration times the rate,
    // rounded to nearest (the file's duration from where the picture starts, when the
    // stream states none; the frame count the file states, when it states neither); none
    // when nothing is known. For a part, its frames (source/MovieFacts.h).
    std::optional<int64_t> LengthInFrames() const;
    // What the opened movie states (all but the AVI probe's rate). After OpenVideo.
    MovieFacts Facts() const;
    // Reads the packets to the file's end for the ends of the picture and the sound, which
    // become the durations of `facts`. Only before Run: nothing is left to decode afterwards.
    [[nodiscard]] MediaStatus ScanLength(MovieFacts& facts);

    // Starts decoding at the part's start (at the key frame before it, where the file can be
    // sought): the demux thread and one decode thread per path. Once only, paced.
    [[nodiscard]] MediaStatus Run();
    // True once every stream has been delivered to its end; false when the time-out passed first.
    bool WaitForCompletion(std::chrono::milliseconds timeout);
    // Ends decoding wherever it is and joins the threads.
    void Stop();

private:
    void Demux(std::stop_token stop);
    // Moves reading to the key frame at or before the part's start.
    void SeekToStart();
    PictureTiming Timing() const;
    // Where the picture starts, in microseconds; 0 when it states no start.
    int64_t PictureStartUs() const;
    PacketQueue* QueueOf(int streamIndex);
    // Whether the container's timestamps may jump (MPEG program and transport streams).
    bool TimestampsJump() const;
    void ThreadEnded();
    bool StopRequested() const;

    SampleGrabber& videoGrabber;
    SampleGrabber& audioGrabber;
    const AbortEvent* abortEvent = nullptr;
    std::atomic<bool> stopping{false};  // Stop() has begun: reading ends
    MovieFile file{[this] { return StopRequested(); }};  // before `input`, which reads through it
    ffmpeg::FormatContextPtr input;
    int videoIndex = -1;
    int audioIndex = -1;
    std::unique_ptr<VideoDecoder> video;
    std::optional<AVRational> videoRate;
    std::unique_ptr<AudioDecoder> audio;
    MovieSpan span;
    PacketQueue videoQueue;
    PacketQueue audioQueue;

    std::mutex completionMutex;
    std::condition_variable completion;
    int runningThreads = 0;
    std::vector<std::jthread> threads;
};
