#pragma once
// Figures a person wants to know about a movie stream that reads cleanly.
#include <cstddef>
#include <cstdint>

#include "video/MovieStreamReader.h"

struct RecordSizeStats {
    size_t count = 0;
    size_t minBytes = 0;
    size_t medianBytes = 0;  // the upper middle one for an even count
    size_t maxBytes = 0;
    uint64_t totalBytes = 0;
};

struct StreamSummary {
    RecordSizeStats all;
    RecordSizeStats intra;  // strip id cinepak::kIntraStripId
    RecordSizeStats inter;  // strip id cinepak::kInterStripId
    double framesPerSecond = 0;  // frameStep refreshes' worth of frames per second
    double movieSeconds = 0;     // frame count at that rate
    double audioSeconds = 0;     // one block per refresh
};

StreamSummary SummarizeStream(const MovieStreamInfo& info);
