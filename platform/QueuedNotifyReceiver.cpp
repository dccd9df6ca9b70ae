#include "platform/QueuedNotifyReceiver.h"

#include <utility>

QueuedNotifyReceiver::QueuedNotifyReceiver(Handler handler)
    : handler(std::move(handler)), owner(std::this_thread::get_id()) {}

QueuedNotifyReceiver::~QueuedNotifyReceiver() {
    Shutdown();
    std::unique_lock lock(mutex);
    sendsChanged.wait(lock, [this] { return activeSenders == 0; });
}

void QueuedNotifyReceiver::Send(uint32_t code, intptr_t value) {
    // Waiting here for the owner's own pump would never end.
    if (std::this_thread::get_id() == owner) {
        if (!IsClosed()) handler(code, value);
        return;
    }
    bool handled = false;
    std::unique_lock lock(mutex);
    if (closed) return;
    queue.push_back({code, value, &handled});
    ++activeSenders;
    queueChanged.notify_one();
    sendsChanged.wait(lock, [&] { return handled; });
    --activeSenders;
    sendsChanged.notify_all();
}

void QueuedNotifyReceiver::Post(uint32_t code, intptr_t value) {
    std::lock_guard lock(mutex);
    if (closed) return;
    queue.push_back({code, value, nullptr});
    queueChanged.notify_one();
}

size_t QueuedNotifyReceiver::Pump() {
    size_t count = 0;
    for (;;) {
        std::unique_lock lock(mutex);
        if (queue.empty()) return count;
        const Notice notice = queue.front();
        queue.pop_front();
        lock.unlock();
        // Handled without the lock, so that the handler may send or post in turn.
        struct ReleaseAfterHandling {
            QueuedNotifyReceiver& receiver;
            bool* handled;
            ~ReleaseAfterHandling() { receiver.Release(handled); }
        } release{*this, notice.handled};
        handler(notice.code, notice.value);
        ++count;
    }
}

size_t QueuedNotifyReceiver::WaitAndPump(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(mutex);
        queueChanged.wait_for(lock, timeout, [this] { return !queue.empty() || closed; });
    }
    return Pump();
}

void QueuedNotifyReceiver::Shutdown() {
    std::lock_guard lock(mutex);
    closed = true;
    for (const Notice& notice : queue)
        if (notice.handled) *notice.handled = true;
    queue.clear();
    queueChanged.notify_all();
    sendsChanged.notify_all();
}

bool QueuedNotifyReceiver::IsClosed() {
    std::lock_guard lock(mutex);
    return closed;
}

void QueuedNotifyReceiver::Release(bool* handled) {
    if (!handled) return;
    std::lock_guard lock(mutex);
    *handled = true;
    sendsChanged.notify_all();
}
