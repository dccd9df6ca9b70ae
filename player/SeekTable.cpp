#include "player/SeekTable.h"

#include "format/Cinepak.h"
#include "format/MovieStream.h"
#include "format/ResumePoint.h"
#include "format/SeekPoints.h"
#include "player/ByteOrder.h"
#include "player/Interrupt.h"

namespace {

// Enough for every stream of an image that fits the cartridge at the encoder's spacing; seek
// points past it (only in a stream made some other way) are left out, seeks land before them.
inline constexpr uint32_t kCapacity = 4096;
static_assert(seek_points::MaxSeekPoints(seek_points::kSpacingRefreshes) <= kCapacity);

struct Table {
    uint32_t interval;
    uint32_t count;
    uint32_t streamCheck;
    const uint8_t* adpcm;
    uint32_t audioBlockCount;
};

Table gTable;
// 48 KiB: external work RAM, read a few times a seek.
[[gnu::section(".ewram.noinit")]] SeekPoint gPoints[kCapacity];

}  // namespace

void FindSeekPoints(const MovieStreamView& view, const uint8_t* stream, uint32_t interval) {
    gTable = {interval, 0, 0, view.adpcm, view.audioBlockCount};
    if (view.frameCount == 0 || interval == 0) {
        return;
    }
    resume_point::StreamCheck check;
    for (uint32_t offset = 0; offset < movie_stream::kHeaderBytes; offset += 4) {
        check.Add(ReadLe32(stream + offset));
    }
    const uint8_t* record = view.firstRecord;
    for (uint32_t index = 0, untilSeekPoint = 0; index < view.frameCount; ++index, --untilSeekPoint) {
        check.Add(ReadLe32(record));
        if (untilSeekPoint == 0) {
            untilSeekPoint = interval;
            if (gTable.count < kCapacity) {
                gPoints[gTable.count++] = {record, seek_points::BlockOfFrame(index, view.frameStep),
                                           index == 0 || ReadLe16(record + 2) == cinepak::kIntraStripId};
            }
        }
        record += ReadLe16(record);
    }
    check.Add(view.audioBlockCount);
    gTable.streamCheck = check.hash;
}

uint32_t SeekPointCount() {
    return gTable.count;
}

uint32_t SeekInterval() {
    return gTable.interval;
}

uint32_t StreamCheck() {
    return gTable.streamCheck;
}

const SeekPoint& SeekPointAt(uint32_t index) {
    return gPoints[index];
}

uint32_t SeekPointAtOrBefore(uint32_t record) {
    if (gTable.count == 0) {
        return 0;
    }
    uint32_t index = record / gTable.interval;
    if (index >= gTable.count) {
        index = gTable.count - 1;
    }
    while (index > 0 && !gPoints[index].intra) {
        --index;
    }
    return index;
}

Restart RestartAfter(uint32_t index) {
    uint32_t next = index + 1;
    // Frames shorter than a refresh (a frame step above one frame a refresh) may share a block.
    while (next < gTable.count && gPoints[next].block <= gPoints[index].block) {
        ++next;
    }
    if (next >= gTable.count || gPoints[next].block >= gTable.audioBlockCount) {
        return {next, nullptr};
    }
    return {next, gTable.adpcm + gPoints[next].block * kAdpcmBlockBytes};
}

void StartAdpcmAfresh() {
    gPass.adpcm = {};
    const Restart next = RestartAfter(gPass.restartPoint);
    gPass.restartPoint = next.point;
    gPass.restartAt = next.at;
}
