#pragma once
// FFmpeg's Cinepak decoder fed with frame records: the reference picture for the player's
// screen. One oracle per stream, since codebooks and pixels carry over from record to record.
#include <cstdint>
#include <vector>

#include "source/FfmpegHandles.h"
#include "tests/player/FrameRecord.h"

class CinepakOracle {
public:
    CinepakOracle(int width, int height);

    // Decodes one frame record rebuilt as the one-strip Cinepak frame it came from.
    // Answers 8-bit R, G, B rows, top row first.
    std::vector<uint8_t> Decode(const FrameRecord& record);

private:
    std::vector<uint8_t> RebuildFrame(const FrameRecord& record) const;

    int width_;
    int height_;
    ffmpeg::CodecContextPtr decoder_;
    ffmpeg::FramePtr picture_;
    ffmpeg::PacketPtr packet_;
};
