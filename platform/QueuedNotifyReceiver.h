#pragma once
// A notification receiver whose notices are handled by one handler function on its owner
// thread, the thread that created it: the stand-in for a window and its message queue.
// Other threads' notices wait in a queue until the owner pumps it; a sender blocks until its
// notice has been handled. The owner thread must keep pumping while other threads may send,
// and must clear NotifyWindow (and let the senders finish) before it destroys the receiver.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/ConvertNotify.h"

class QueuedNotifyReceiver final : public NotifyReceiver {
public:
    using Handler = std::function<void(uint32_t code, intptr_t value)>;

    explicit QueuedNotifyReceiver(Handler handler);
    // Shuts down, then waits until no sender is inside Send any more.
    ~QueuedNotifyReceiver() override;
    QueuedNotifyReceiver(const QueuedNotifyReceiver&) = delete;
    QueuedNotifyReceiver& operator=(const QueuedNotifyReceiver&) = delete;

    // On the owner thread the handler runs at once, as a window procedure would; elsewhere the
    // notice is queued and the call returns after the owner has handled it, or at shutdown
    // (the notice then unhandled).
    void Send(uint32_t code, intptr_t value) override;
    // Queues the notice and returns at once; dropped after shutdown.
    void Post(uint32_t code, intptr_t value) override;

    // Owner thread only: handles every notice queued so far, in arrival order; returns how many.
    // A handler that throws releases its sender; the exception then leaves Pump.
    size_t Pump();
    // Owner thread only: waits up to `timeout` for a first notice, then pumps; returns how many were handled.
    size_t WaitAndPump(std::chrono::milliseconds timeout);
    // Any thread: refuses further notices, drops the queued ones and releases every blocked sender.
    void Shutdown();

private:
    struct Notice {
        uint32_t code;
        intptr_t value;
        bool* handled;  // the blocked sender's flag; null for a posted notice
    };

    bool IsClosed();
    void Release(bool* handled);

    const Handler handler;
    const std::thread::id owner;
    std::mutex mutex;
    std::condition_variable queueChanged;  // a notice arrived, or shutdown
    std::condition_variable sendsChanged;  // a sent notice was handled or dropped, or a sender left
    std::deque<Notice> queue;
    size_t activeSenders = 0;
    bool closed = false;
};
