#include "source/internal/DecodingPipeline.h"

#include <algorithm>
#include <system_error>

#include "source/DecodingOptions.h"
#include "source/internal/MovieLength.h"
#include "source/internal/PictureOrientation.h"

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
    if (const MediaStatus status = decoder->Open(*input->streams[index], pictures, TimestampsJump(), span); status < 0)
        return status;
    audioIndex = index;
    audio = std::move(decoder);
    return 0;
}

void DecodingPipeline::PaceVideo(AVRational frameRate) {
    videoRate = frameRate;
    video->PaceOn(frameRate, TimestampsJump(), span);
}

int64_t DecodingPipeline::PictureStartUs() const {
    const AVStream& stream = *input->streams[videoIndex];
    if (stream.start_time != AV_NOPTS_VALUE) return av_rescale_q(stream.start_time, stream.time_base, AV_TIME_BASE_Q);
    return input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
}

PictureTiming DecodingPipeline::Timing() const {
    const AVStream& stream = *input->streams[videoIndex];
    PictureTiming timing;
    if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0) timing.streamDuration = stream.duration;
    timing.timeBaseNumerator = stream.time_base.num;
    timing.timeBaseDenominator = stream.time_base.den;
    if (input->duration != AV_NOPTS_VALUE && input->duration > 0) {
        // The file's duration counts from its earliest stream; the grid from the picture.
        const int64_t fileStart = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
        timing.durationUs = fileStart + input->duration - PictureStartUs();
    }
    timing.frameCount = stream.nb_frames;
    return timing;
}

std::optional<int64_t> DecodingPipeline::LengthInFrames() const {
    if (!video || !videoRate) return std::nullopt;
    return LengthInFramesAt(Timing(), *videoRate, span);
}

MovieFacts DecodingPipeline::Facts() const {
    MovieFacts facts;
    facts.container = input->iformat->name;
    facts.containerName = input->iformat->long_name ? input->iformat->long_name : input->iformat->name;
    const AVStream& pictures = *input->streams[videoIndex];
    facts.videoCodec = avcodec_get_name(pictures.codecpar->codec_id);
    facts.codedWidth = pictures.codecpar->width;
    facts.codedHeight = pictures.codecpar->height;
    facts.videoFormat = video->Format();
    const AVRational aspect = SampleAspectOf(pictures);
    const bool stated = aspect.num > 0 && aspect.den > 0;
    int64_t wide = int64_t(facts.codedWidth) * (stated ? aspect.num : 1);
    int64_t high = int64_t(facts.codedHeight) * (stated ? aspect.den : 1);
    // A picture turned a quarter is shown with its sides swapped.
    if (OrientationOf(pictures).clockwiseTurns % 2) std::swap(wide, high);
    av_reduce(&facts.displayAspectWidth, &facts.displayAspectHeight, wide, high, INT32_MAX);
    facts.timing = Timing();
    if (audio) {
        const AVStream& sound = *input->streams[audioIndex];
        SoundFacts soundFacts;
        soundFacts.codec = avcodec_get_name(sound.codecpar->codec_id);
        soundFacts.sampleRate = uint32_t(sound.codecpar->sample_rate);
        soundFacts.channels = sound.codecpar->ch_layout.nb_channels;
        if (sound.duration != AV_NOPTS_VALUE && sound.duration > 0) {
            const int64_t start = sound.start_time != AV_NOPTS_VALUE ? sound.start_time : 0;
            soundFacts.durationUs = av_rescale_q(start + sound.duration, sound.time_base, AV_TIME_BASE_Q) - PictureStartUs();
        } else {
            soundFacts.durationUs = facts.timing.durationUs;
        }
        facts.sound = soundFacts;
    }
    return facts;
}

MediaStatus DecodingPipeline::ScanLength(MovieFacts& facts) {
    std::optional<int64_t> pictureEnd;
    std::optional<int64_t> soundEnd;
    // One packet for the whole scan: each read replaces what the last one held.
    const ffmpeg::PacketPtr packet(av_packet_alloc());
    if (!packet) return AVERROR(ENOMEM);
    for (;;) {
        av_packet_unref(packet.get());
        const int status = av_read_frame(input.get(), packet.get());
        if (status == AVERROR_EOF) break;
        if (status < 0) return status;
        const int64_t time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (time == AV_NOPTS_VALUE) continue;
        const AVStream& stream = *input->streams[packet->stream_index];
        const int64_t endUs = av_rescale_q(time + std::max<int64_t>(packet->duration, 0), stream.time_base, AV_TIME_BASE_Q);
        std::optional<int64_t>* end = packet->stream_index == videoIndex   ? &pictureEnd
                                      : packet->stream_index == audioIndex ? &soundEnd
                                                                           : nullptr;
        if (end) *end = std::max(end->value_or(endUs), endUs);
    }
    // Pictures without any time leave the length unknown.
    if (pictureEnd) facts.timing.durationUs = std::max<int64_t>(*pictureEnd - PictureStartUs(), 0);
    if (facts.sound && soundEnd) facts.sound->durationUs = *soundEnd - PictureStartUs();
    facts.lengthScanned = true;
    return 0;
}

void DecodingPipeline::SeekToStart() {
    if (span.startUs <= 0) return;
    const AVStream& pictures = *input->streams[videoIndex];
    const int64_t start = pictures.start_time != AV_NOPTS_VALUE ? pictures.start_time : 0;
    const int64_t target = start + av_rescale_q(span.startUs, AV_TIME_BASE_Q, pictures.time_base);
    // Where the file cannot be sought (a pipe), decoding starts at the beginning: the grid and
    // the sound's time line drop what comes before the part all the same.
    (void)avformat_seek_file(input.get(), videoIndex, INT64_MIN, target, target, 0);
}

MediaStatus DecodingPipeline::Run() {
    if (!video || !videoRate) return AVERROR(EINVAL);  // nothing was opened or planned
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (int(i) != videoIndex && int(i) != audioIndex) input->streams[i]->discard = AVDISCARD_ALL;
    SeekToStart();
    ProcessDecodingCounts().decoded = 0;
    ProcessDecodingCounts().converted = 0;
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
    // Once every decoder has taken all it wants (a part of the movie has ended), reading stops.
    bool videoTaking = true;
    bool audioTaking = audio != nullptr;
    while (!stop.stop_requested() && (videoTaking || audioTaking)) {
        ffmpeg::PacketPtr packet(av_packet_alloc());
        // The end of the file and a read error both end the streams here.
        if (!packet || av_read_frame(input.get(), packet.get()) < 0) break;
        const int index = packet->stream_index;
        PacketQueue* queue = QueueOf(index);
        if (queue && !queue->Push(std::move(packet))) (index == videoIndex ? videoTaking : audioTaking) = false;
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
