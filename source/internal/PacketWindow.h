#pragma once
// The packets a stream's decode thread has taken from its queue but not yet sent, in decode
// order, and the presentation times of the last ones it sent: what is known, before decoding
// a picture, of the pictures around it.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

#include "source/internal/Ffmpeg.h"

class PacketWindow {
public:
    void Push(ffmpeg::PacketPtr packet);
    // The oldest packet, which leaves the window; its time is remembered.
    ffmpeg::PacketPtr Take();
    size_t Size() const { return ahead.size(); }

    // The earliest presentation time after `pts` among the packets ahead and the ones sent
    // lately; none when no such packet is known. The picture that follows `pts` is shown no
    // later than this.
    std::optional<int64_t> NextTimeAfter(int64_t pts) const;

private:
    static constexpr size_t kTimesBehind = 16;

    std::deque<ffmpeg::PacketPtr> ahead;
    std::deque<int64_t> behind;  // presentation times of the packets taken last
};
