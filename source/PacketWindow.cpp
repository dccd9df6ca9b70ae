#include "source/internal/PacketWindow.h"

namespace {

void Closer(int64_t candidate, int64_t pts, std::optional<int64_t>& next) {
    if (candidate != AV_NOPTS_VALUE && candidate > pts && (!next || candidate < *next)) next = candidate;
}

}  // namespace

void PacketWindow::Push(ffmpeg::PacketPtr packet) { ahead.push_back(std::move(packet)); }

ffmpeg::PacketPtr PacketWindow::Take() {
    ffmpeg::PacketPtr packet = std::move(ahead.front());
    ahead.pop_front();
    if (packet->pts != AV_NOPTS_VALUE) {
        behind.push_back(packet->pts);
        if (behind.size() > kTimesBehind) behind.pop_front();
    }
    return packet;
}

std::optional<int64_t> PacketWindow::NextTimeAfter(int64_t pts) const {
    std::optional<int64_t> next;
    for (const ffmpeg::PacketPtr& packet : ahead) Closer(packet->pts, pts, next);
    for (const int64_t time : behind) Closer(time, pts, next);
    return next;
}
