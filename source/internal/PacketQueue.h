#pragma once
// The packets of one stream on their way from the demux thread to the stream's decode
// thread. Bounded, so that a fast demuxer does not read the whole file ahead.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

#include "source/internal/Ffmpeg.h"

class PacketQueue {
public:
    // Holds at most `maxPackets` packets and, beyond one packet, at most `maxBytes` bytes.
    PacketQueue(size_t maxPackets, size_t maxBytes);

    // Appends a packet, waiting while the queue is full. False (packet dropped) once closed.
    bool Push(ffmpeg::PacketPtr packet);
    // No packet will follow the ones queued.
    void MarkEnd();
    // The next packet, waiting for one; null at the end or once closed.
    ffmpeg::PacketPtr Pop();
    // Wakes both sides for good: later pushes drop their packet, later pops answer null.
    void Close();

private:
    bool Full() const;

    const size_t maxPackets;
    const size_t maxBytes;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<ffmpeg::PacketPtr> packets;
    size_t bytes = 0;
    bool ended = false;
    bool closed = false;
};
