#include "cli/InterruptSignal.h"

#include <atomic>

#include "platform/AbortEvent.h"

namespace {

std::atomic<AbortEvent*> target{nullptr};
static_assert(std::atomic<AbortEvent*>::is_always_lock_free, "read in a signal handler");

void OnSignal(int) {
    if (AbortEvent* event = target.load()) event->Signal();
}

}  // namespace

InterruptSignal::InterruptSignal(AbortEvent& abortEvent) {
    target = &abortEvent;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

InterruptSignal::~InterruptSignal() {
    for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
    target = nullptr;
}
