#pragma once
// The encoder of one conversion: plans the picture, scales, budgets and compresses every
// kept frame into the movie stream, collects the sound and codes it at the end.
// Owns the stream file, the compressor, the frame buffers and the collected sound. Kept frames
// are scaled on the calling thread and compressed, in their order, on a thread of the
// encoder's own while a stream is open; the budget follows only what was compressed before,
// so the bytes do not depend on timing.
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "audio/AdpcmEncoder.h"
#include "audio/AudioCapture.h"
#include "platform/MediaFormats.h"
#include "platform/VideoCompressor.h"
#include "video/FrameScaler.h"
#include "video/MovieStreamWriter.h"
#include "video/ScreenAdjustment.h"
#include "video/ScaledFrameQueue.h"
#include "video/VideoPlan.h"

// Process-wide: the last progress value sent, -1 at program start, not reset between runs.
extern std::atomic<int32_t> LastProgressSent;

class MovieEncoder {
public:
    MovieEncoder();
    virtual ~MovieEncoder();
    MovieEncoder(const MovieEncoder&) = delete;
    MovieEncoder& operator=(const MovieEncoder&) = delete;

    // False when the path is empty; otherwise a copy replaces any earlier path.
    [[nodiscard]] bool SetOutputFile(const std::string& path);
    // Accepts width -1 or 1..240 and a multiple of 4, height -1 or 1..160 and a multiple of 4,
    // frameRateMode -1..7, preFilter 0..3, bitrate >= 1; stores all or nothing.
    [[nodiscard]] bool SetParameters(const Trims& trims, bool autoTrim, int32_t width, int32_t height,
                                     int32_t frameRateMode, int32_t preFilter, int32_t bitrate);
    // A data rate finer than whole kilobytes (at least 1024 bytes per second), after
    // SetParameters: the budget then holds this many bytes a second.
    void SetByteRate(uint32_t bytesPerSecond);
    // The AVI probe's result, used when the decoded format states no frame duration.
    void SetProbedRate(uint32_t rate, uint32_t scale);
    // Seek points every `spacingRefreshes` display refreshes of movie (format/SeekPoints.h): an
    // intra frame asked of the compressor, and the sound coder started afresh with it. 0: none.
    void SetSeekPoints(uint32_t spacingRefreshes) { seekSpacingRefreshes = spacingRefreshes; }
    // The screen the pictures are made for, before SetupVideo; the default leaves them. Accepts
    // a known screen and adjustments of -100..100; stores all or nothing.
    [[nodiscard]] bool SetScreen(const ScreenAdjustment& adjustment);
    // How the sound is coded; the default is the exact coder.
    void SetSoundCoder(AdpcmCoder coder) { soundCoder = coder; }

    // Plans geometry, rate, budget and frame step for the decoded video format and allocates
    // the frame buffers. False when the format is unusable.
    [[nodiscard]] bool SetupVideo(const VideoInfoHeader& format);
    // Chooses how the sound is read; false when the format is refused.
    [[nodiscard]] bool SetAudioFormat(const WaveFormatEx& format);

    // Creates the stream file, writes its header, opens and begins the compressor and starts
    // the compression thread (an earlier stream's frames still waiting are left out).
    [[nodiscard]] bool BeginStream(uint32_t sourceFrameTotal);
    // One decoded frame (bottom-up 24-bit, rows padded to 4 bytes) of `length` bytes. A kept
    // frame is scaled and handed to the compression thread, waiting while it is 4 frames behind.
    void EncodeFrame(const uint8_t* frame, int32_t length);
    // Waits until every frame handed over so far is compressed and written.
    void WaitForCompression();
    // One decoded PCM buffer of `length` bytes in the accepted format. Always true.
    bool AppendAudio(const uint8_t* buffer, uint32_t length);
    // Compresses the frames still waiting, ends the compressor, appends the sound and the frame
    // count (unless aborted or empty), closes the file. False also when a frame threw while compressed.
    [[nodiscard]] bool FinishStream();

    // Crops, scales and pre-filters one decoded frame into `scaled` (ScaledFrame().size() bytes).
    void ScaleFrame(const uint8_t* frame, uint8_t* scaled) const;
    // Scales the collected sound so that its peak reaches `level` percent of full scale.
    void NormalizeAudio(int level);
    // Codes the collected sound as the stream's audio block.
    AudioBlock EncodeAudioBlock();

    const VideoPlan& Plan() const { return plan; }
    const std::vector<int16_t>& CollectedSamples() const { return audio.CollectedSamples(); }
    uint32_t SourceFrameCount() const { return sourceFrameCount; }
    // Of the frames compressed: WaitForCompression or FinishStream first while a stream is open.
    uint32_t FramesWritten() const { return framesWritten; }
    uint64_t BytesProduced() const { return bytesProduced; }
    // The last frame written, as scaled: the compressor's previous frame.
    std::span<const uint8_t> ScaledFrame() const { return scaledFrame; }
    // Records from one seek point to the next, by the plan's frame step; 0 without seek points.
    uint32_t SeekInterval() const;

private:
    bool OpenCompressor();
    uint32_t KeptFrameTotal() const;
    void SendProgress();
    // The compression thread's body: every handed-over frame in order, until the queue ends.
    void CompressFrames();
    void CompressFrame(const uint8_t* scaled);
    bool WriteCompressedFrame();
    // Leaves out the frames still waiting and ends the compression thread.
    void StopCompression();

    std::string outputPath;
    MovieStreamWriter stream;
    VideoPlan plan;
    ScreenAdjustment screen;

    // The compressor's input format, describing one scaled frame (rows not padded).
    BitmapInfoHeader frameFormat;
    std::vector<uint8_t> frameFormatExtension;  // bytes of a longer decoder header, kept with it
    FrameScaler scaler;
    std::vector<uint8_t> scaledFrame;  // the last frame written
    BitmapInfoHeader outputFormat;
    std::vector<uint8_t> compressedBuffer;
    std::unique_ptr<VideoCompressor> compressor;
    ICCOMPRESS compressParams;
    uint32_t defaultQuality = 0;

    uint32_t sourceFrameTotal = 0;
    uint32_t sourceFrameCount = 0;
    // Written by the compression thread only, while a stream is open.
    uint32_t framesWritten = 0;   // records in the stream: a frame that fails is not counted
    uint64_t bytesProduced = 0;   // whole compressed frames, headers included; 64 bits for long movies
    bool compressionFailed = false;  // a frame threw: the stream is not whole
    uint32_t seekSpacingRefreshes = 0;

    AudioCapture audio;
    AdpcmCoder soundCoder = AdpcmCoder::Exact;

    ScaledFrameQueue frames;
    std::jthread compression;  // last: ended before anything it uses goes
};
