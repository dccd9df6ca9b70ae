#include "source/internal/PacketQueue.h"

PacketQueue::PacketQueue(size_t maxPackets, size_t maxBytes) : maxPackets(maxPackets), maxBytes(maxBytes) {}

bool PacketQueue::Full() const {
    return !packets.empty() && (packets.size() >= maxPackets || bytes >= maxBytes);
}

bool PacketQueue::Push(ffmpeg::PacketPtr packet) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return closed || !Full(); });
    if (closed) return false;
    // Only a consumer facing an empty queue waits: wake it on that change alone.
    const bool wasEmpty = packets.empty();
    bytes += size_t(packet->size);
    packets.push_back(std::move(packet));
    if (wasEmpty) changed.notify_all();
    return true;
}

void PacketQueue::MarkEnd() {
    std::lock_guard lock(mutex);
    ended = true;
    changed.notify_all();
}

ffmpeg::PacketPtr PacketQueue::Pop() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return closed || ended || !packets.empty(); });
    if (closed || packets.empty()) return nullptr;
    // Only a producer facing a full queue waits: wake it on that change alone.
    const bool wasFull = Full();
    ffmpeg::PacketPtr packet = std::move(packets.front());
    packets.pop_front();
    bytes -= size_t(packet->size);
    if (wasFull) changed.notify_all();
    return packet;
}

void PacketQueue::Close() {
    std::lock_guard lock(mutex);
    closed = true;
    packets.clear();
    bytes = 0;
    changed.notify_all();
}
