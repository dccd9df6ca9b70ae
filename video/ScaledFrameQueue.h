#pragma once
// The scaled frames between the decoding thread, which scales them, and the encoder's
// compression thread, which compresses them in the order they came: a few buffers made once,
// so that scaling the next frames runs beside compressing this one without allocating.
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

class ScaledFrameQueue {
public:
    static constexpr size_t kBuffers = 4;

    // Makes the buffers, each `frameBytes` long, and opens the queue, empty.
    void Open(size_t frameBytes);
    // The next free buffer to scale into, waiting while every buffer is full; null once closed.
    uint8_t* Acquire();
    // The acquired buffer holds its frame: it goes behind the ones before it.
    void Publish();
    // The oldest filled frame, waiting for one; null once the queue is closed and drained,
    // or discarded.
    const uint8_t* Next();
    // The frame Next answered is done with: its buffer is free again.
    void Release();
    // Waits until every published frame is released (or the queue is discarded).
    void WaitUntilDrained();
    // No more frames: Next still answers the filled ones, then null.
    void Close();
    // Closes the queue and leaves its filled frames out: Next answers null at once.
    void Discard();

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::array<std::vector<uint8_t>, kBuffers> buffers;
    uint64_t published = 0;  // frames handed over since Open
    uint64_t released = 0;   // of them, done with
    bool open = false;
    bool discarded = false;
};
