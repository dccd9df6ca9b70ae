#pragma once
// The abort channel of one conversion run, private to its process: the dialog's Exit, the
// closing of its window and the command line's signals signal it; every stage of the run
// polls it. Once signalled it stays signalled: the run cannot lose its abort, and nothing
// outside the process can reach it.
#include <atomic>

class AbortEvent {
public:
    // Safe in a signal handler.
    void Signal() noexcept { signalled.store(true, std::memory_order_relaxed); }
    bool IsSignalled() const noexcept { return signalled.load(std::memory_order_relaxed); }

private:
    static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets it");
    std::atomic<bool> signalled{false};
};

// Whether the run has been aborted: its event (none: a run that cannot be aborted) has been
// signalled, or the run loop saw it earlier. Sets AbortRequested when the event is signalled.
bool RunAborted(const AbortEvent* event);
