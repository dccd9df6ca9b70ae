#include "source/internal/DecodingPipeline.h"

#include <system_error>

namespace {

// Enough packets ahead to keep both decoders busy; the byte bound keeps raw high-resolution
// video (megabytes a packet) from piling up.
constexpr size_t kQueuePackets = 64;
constexpr size_t kQueueBytes = size_t(16) << 20;

}  // namespace

DecodingPipeline::DecodingPipeline(SampleGrabber& videoGrabber, SampleGrabber& audioGrabber)
    : videoGrabber(videoGrabber),
      audioGrabber(audioGrabber),
      videoQueue(kQueuePackets, kQueueBytes),
      audioQueue(kQueuePackets, kQueueBytes) {}

DecodingPipeline::~DecodingPipeline() { Stop(); }

MediaStatus DecodingPipeline::OpenInput(const std::string& path, const AbortEvent* abort) {
    abortEvent = abort;
    if (const MediaStatus status = file.Open(path); status < 0) return status;
    AVFormatContext* opened = avformat_alloc_context();
    if (!opened) return AVERROR(ENOMEM);
    opened->pb = file.Context();
    opened->flags |= AVFMT_FLAG_CUSTOM_IO;
    opened->interrupt_callback = file.InterruptCallback();
    // On failure FFmpeg frees the context itself (the I/O context stays ours).
    if (const int status = avformat_open_input(&opened, path.c_str(), nullptr, nullptr); status < 0) return status;
    input.reset(opened);
    return avformat_find_stream_info(input.get(), nullptr);
}

bool DecodingPipeline::StopRequested() const {
    return stopping || (abortEvent && abortEvent->IsSignalled());
}

MediaStatus DecodingPipeline::OpenVideo() {
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index == AVERROR_STREAM_NOT_FOUND) return kStatusNoVideo;
    if (index < 0) return index;
    auto decoder = std::make_unique<VideoDecoder>(videoGrabber);
    if (const MediaStatus status = decoder->Open(*input->streams[index]); status < 0) return status;
    videoIndex = index;
    video = std::move(decoder);
    return 0;
}

MediaStatus DecodingPipeline::OpenAudio() {
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, videoIndex, nullptr, 0);
    if (index == AVERROR_STREAM_NOT_FOUND) return 0;
    if (index < 0) return index;
    auto decoder = std::make_unique<AudioDecoder>(audioGrabber);
    const AVStream& pictures = *input->streams[videoIndex];
    if (const MediaStatus status = decoder->Open(*input->streams[index], pictures, TimestampsJump()); status < 0)
        return status;
    audioIndex = index;
    audio = std::move(decoder);
    return 0;
}

void DecodingPipeline::PaceVideo(AVRational frameRate) {
    videoRate = frameRate;
    video->PaceOn(frameRate, TimestampsJump());
}

std::optional<int64_t> DecodingPipeline::LengthInFrames() const {
    if (!video || !videoRate) return std::nullopt;
    const AVStream& stream = *input->streams[videoIndex];
    const AVRational frame = av_inv_q(*videoRate);
    int64_t frames = 0;
    if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) {
        frames = av_rescale_q_rnd(stream.duration, stream.time_base, frame, AV_ROUND_NEAR_INF);
    } else if (input->duration != AV_NOPTS_VALUE && input->duration > 0) {
        // The file's duration counts from its earliest stream; the grid from the picture.
        const int64_t fileStart = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
        const int64_t pictureStart = stream.start_time != AV_NOPTS_VALUE
                                         ? av_rescale_q(stream.start_time, stream.time_base, AV_TIME_BASE_Q)
                                         : fileStart;
        frames = av_rescale_q_rnd(fileStart + input->duration - pictureStart, AV_TIME_BASE_Q, frame, AV_ROUND_NEAR_INF);
    } else {
        frames = stream.nb_frames;
    }
    if (frames <= 0) return std::nullopt;
    return frames;
}

MediaStatus DecodingPipeline::Run() {
    if (!video || !videoRate) return AVERROR(EINVAL);  // nothing was opened or planned
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (int(i) != videoIndex && int(i) != audioIndex) input->streams[i]->discard = AVDISCARD_ALL;
    runningThreads = audio ? 3 : 2;
    try {
        threads.emplace_back([this](std::stop_token stop) { Demux(stop); });
        threads.emplace_back([this](std::stop_token stop) {
            video->Run(videoQueue, stop);
            ThreadEnded();
        });
        if (audio)
            threads.emplace_back([this](std::stop_token stop) {
                audio->Run(audioQueue, stop);
                ThreadEnded();
            });
    } catch (const std::system_error& error) {
        return AVERROR(error.code().value());
    }
    return 0;
}

void DecodingPipeline::Demux(std::stop_token stop) {
    while (!stop.stop_requested()) {
        ffmpeg::PacketPtr packet(av_packet_alloc());
        // The end of the file and a read error both end the streams here.
        if (!packet || av_read_frame(input.get(), packet.get()) < 0) break;
        if (PacketQueue* queue = QueueOf(packet->stream_index)) queue->Push(std::move(packet));
    }
    videoQueue.MarkEnd();
    audioQueue.MarkEnd();
    ThreadEnded();
}

bool DecodingPipeline::TimestampsJump() const {
    return input->iformat->flags & AVFMT_TS_DISCONT;
}

PacketQueue* DecodingPipeline::QueueOf(int streamIndex) {
    if (streamIndex == videoIndex) return &videoQueue;
    if (streamIndex == audioIndex) return &audioQueue;
    return nullptr;
}

void DecodingPipeline::ThreadEnded() {
    std::lock_guard lock(completionMutex);
    --runningThreads;
    completion.notify_all();
}

bool DecodingPipeline::WaitForCompletion(std::chrono::milliseconds timeout) {
    std::unique_lock lock(completionMutex);
    return completion.wait_for(lock, timeout, [this] { return runningThreads == 0; });
}

void DecodingPipeline::Stop() {
    stopping = true;
    for (std::jthread& thread : threads) thread.request_stop();
    videoQueue.Close();
    audioQueue.Close();
    threads.clear();
}
