#include "job/StreamSummary.h"

#include <algorithm>
#include <vector>

#include "format/Cinepak.h"
#include "format/Handheld.h"
#include "format/MovieStream.h"

namespace {

RecordSizeStats Stats(std::vector<size_t> sizes) {
    RecordSizeStats stats;
    stats.count = sizes.size();
    if (sizes.empty()) return stats;
    std::sort(sizes.begin(), sizes.end());
    stats.minBytes = sizes.front();
    stats.medianBytes = sizes[sizes.size() / 2];
    stats.maxBytes = sizes.back();
    for (size_t size : sizes) stats.totalBytes += size;
    return stats;
}

}  // namespace

StreamSummary SummarizeStream(const MovieStreamInfo& info) {
    std::vector<size_t> all, intra, inter;
    for (const MovieStreamRecord& record : info.records) {
        all.push_back(record.length);
        (record.stripId == cinepak::kIntraStripId ? intra : inter).push_back(record.length);
    }
    StreamSummary summary;
    summary.all = Stats(std::move(all));
    summary.intra = Stats(std::move(intra));
    summary.inter = Stats(std::move(inter));
    summary.framesPerSecond = double(info.frameStep) * handheld::kRefreshHz / movie_stream::kOneFrame;
    if (summary.framesPerSecond > 0) summary.movieSeconds = info.frameCount / summary.framesPerSecond;
    summary.audioSeconds = info.audioBlockCount / handheld::kRefreshHz;
    return summary;
}
