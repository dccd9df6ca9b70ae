// The MovieEncoder's stream lifecycle: begin, one record per kept frame, finish.
#include <algorithm>
#include <exception>
#include <limits>

#include "format/SeekPoints.h"
#include "platform/ConvertNotify.h"
#include "platform/RunState.h"
#include "video/CinepakFrameCheck.h"
#include "video/FrameReduction.h"
#include "video/FrameScaler.h"
#include "video/MovieEncoder.h"

bool MovieEncoder::BeginStream(uint32_t frameTotal) {
    StopCompression();
    sourceFrameTotal = frameTotal;
    if (outputPath.empty() || scaledFrame.empty()) return false;
    if (!stream.Create(outputPath)) return false;
    if (!stream.WriteHeader(plan.frameStep, uint32_t(plan.outputWidth), uint32_t(plan.outputHeight))) return false;
    sourceFrameCount = 0;
    bytesProduced = 0;
    framesWritten = 0;
    compressionFailed = false;
    audio.Reset();
    if (!OpenCompressor()) return false;
    frames.Open(scaledFrame.size());
    compression = std::jthread([this] { CompressFrames(); });
    return true;
}

void MovieEncoder::StopCompression() {
    frames.Discard();
    if (compression.joinable()) compression.join();
}

uint32_t MovieEncoder::KeptFrameTotal() const {
    return uint32_t(std::min<uint64_t>(KeptFrameCount(plan, sourceFrameTotal) / plan.refreshDivisor,
                                       std::numeric_limits<int32_t>::max()));
}

bool MovieEncoder::OpenCompressor() {
    compressor = ICLocate(ICTYPE_VIDEO, kCinepakHandler, &frameFormat, nullptr, ICMODE_COMPRESS);
    if (!compressor) return false;
    // The output format is a bitmap header; a compressor asking for less cannot describe its frames.
    if (compressor->CompressGetFormat(&frameFormat, nullptr) < long(kBitmapInfoHeaderBytes)) return false;
    if (compressor->CompressGetFormat(&frameFormat, &outputFormat) != ICERR_OK) return false;
    const long maxFrameBytes = compressor->CompressGetSize(&frameFormat, &outputFormat);
    if (maxFrameBytes <= 0) return false;
    compressedBuffer.assign(size_t(maxFrameBytes), 0);

    compressor->GetDefaultQuality(&defaultQuality);
    compressParams.dwFlags = 0;
    compressParams.lpbiOutput = &outputFormat;
    compressParams.lpOutput = compressedBuffer.data();
    compressParams.dwQuality = defaultQuality;

    ICCOMPRESSFRAMES info;
    info.lpbiOutput = &outputFormat;
    info.lpbiInput = &frameFormat;
    info.lFrameCount = int32_t(KeptFrameTotal());
    info.lQuality = int32_t(defaultQuality);
    info.lDataRate = int32_t(std::min<uint64_t>(BytesPerSecond(plan), std::numeric_limits<int32_t>::max()));
    info.dwRate = plan.rateNumerator;
    info.dwScale = plan.rateDenominator;
    if (compressor->CompressFramesInfo(&info) != ICERR_OK) return false;

    const long stateBytes = compressor->GetState(nullptr, 0);
    if (stateBytes > 0) {
        std::vector<uint8_t> state(static_cast<size_t>(stateBytes));
        const long written = compressor->GetState(state.data(), uint32_t(state.size()));
        if (written > 0) compressor->SetState(state.data(), uint32_t(std::min<long>(written, stateBytes)));
    }
    return compressor->CompressBegin(&frameFormat, &outputFormat) == ICERR_OK;
}

void MovieEncoder::SendProgress() {
    // A source that states no length gets no progress value.
    if (sourceFrameTotal == 0) return;
    const double value = sourceFrameCount * 1000.0 / sourceFrameTotal;
    const int32_t progress = int32_t(std::min(value, double(std::numeric_limits<int32_t>::max())));
    if (LastProgressSent.exchange(progress) != progress) SendConvertNotify(NOTIFY_PROGRESS, progress);
}

void MovieEncoder::EncodeFrame(const uint8_t* frame, int32_t length) {
    ++sourceFrameCount;
    SendProgress();
    if (!KeepsDelivery(plan, sourceFrameCount)) return;
    // A short buffer is skipped rather than read past its end.
    if (!frame || length < 0 || size_t(length) < SourceFrameBytes(plan)) return;
    // Null outside a stream: the frame is not compressed.
    uint8_t* scaled = frames.Acquire();
    if (!scaled) return;
    ScaleFrame(frame, scaled);
    frames.Publish();
}

void MovieEncoder::WaitForCompression() { frames.WaitUntilDrained(); }

void MovieEncoder::CompressFrames() {
    while (const uint8_t* scaled = frames.Next()) {
        // The decoding side must never wait for good: a frame that throws fails the stream,
        // and the frames behind it are still taken.
        try {
            if (!compressionFailed) CompressFrame(scaled);
        } catch (const std::exception&) {
            compressionFailed = true;
        }
        frames.Release();
    }
}

void MovieEncoder::CompressFrame(const uint8_t* scaled) {
    compressParams.lpInput = scaled;
    compressParams.lFrameNum = int32_t(framesWritten);
    compressParams.dwFlags = seek_points::IsSeekPoint(framesWritten, SeekInterval()) ? ICCOMPRESS_KEYFRAME : 0;
    compressParams.dwFrameSize = FrameBudget(plan, framesWritten, bytesProduced);
    if (WriteCompressedFrame()) {
        ++framesWritten;
        bytesProduced += outputFormat.biSizeImage;
        std::copy(scaled, scaled + scaledFrame.size(), scaledFrame.begin());
        compressParams.lpPrev = scaledFrame.data();
    } else {
        // The compressor's reference now holds a picture the stream never got: start afresh.
        compressParams.lpPrev = nullptr;
    }
}

bool MovieEncoder::WriteCompressedFrame() {
    if (compressor->Compress(&compressParams) != ICERR_OK) return false;
    const size_t reported = std::min<size_t>(outputFormat.biSizeImage, compressedBuffer.size());
    const auto strip = CheckCinepakFrame({compressedBuffer.data(), reported}, plan.outputWidth, plan.outputHeight);
    return strip && stream.WriteFrameRecord(strip->stripId, strip->chunks);
}

bool MovieEncoder::FinishStream() {
    frames.Close();
    if (compression.joinable()) compression.join();
    bool result = !compressionFailed && compressor && compressor->CompressEnd() == ICERR_OK;
    compressor.reset();
    if (!stream.IsOpen()) return result;
    if (framesWritten > 0 && !AbortRequested) {
        NormalizeAudio(100);
        const AudioBlock block = EncodeAudioBlock();
        result = stream.WriteAudioBlock(block.AudioBlockCount, block.payload) && result;
        result = stream.WriteFrameCount(framesWritten) && result;
    }
    return stream.Close() && result;
}
