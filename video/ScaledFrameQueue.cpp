#include "video/ScaledFrameQueue.h"

void ScaledFrameQueue::Open(size_t frameBytes) {
    std::lock_guard lock(mutex);
    for (std::vector<uint8_t>& buffer : buffers) buffer.assign(frameBytes, 0);
    published = released = 0;
    open = true;
    discarded = false;
}

uint8_t* ScaledFrameQueue::Acquire() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return !open || published - released < kBuffers; });
    return open ? buffers[published % kBuffers].data() : nullptr;
}

void ScaledFrameQueue::Publish() {
    {
        std::lock_guard lock(mutex);
        if (!open) return;
        ++published;
    }
    changed.notify_all();
}

const uint8_t* ScaledFrameQueue::Next() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return discarded || released < published || !open; });
    return !discarded && released < published ? buffers[released % kBuffers].data() : nullptr;
}

void ScaledFrameQueue::Release() {
    {
        std::lock_guard lock(mutex);
        if (released < published) ++released;
    }
    changed.notify_all();
}

void ScaledFrameQueue::WaitUntilDrained() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return discarded || released == published; });
}

void ScaledFrameQueue::Close() {
    {
        std::lock_guard lock(mutex);
        open = false;
    }
    changed.notify_all();
}

void ScaledFrameQueue::Discard() {
    {
        std::lock_guard lock(mutex);
        open = false;
        discarded = true;
    }
    changed.notify_all();
}
