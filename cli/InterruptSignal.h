#pragma once
// Ctrl-C, SIGTERM and SIGHUP while converting: caught, and turned into the run's abort, as the
// dialog's Exit button does, instead of killing the process with half-written files.
#include <csignal>
#include <iterator>

class AbortEvent;

class InterruptSignal {
public:
    // Installs the handlers, which signal `abortEvent`; the previous handlers come back on destruction.
    explicit InterruptSignal(AbortEvent& abortEvent);
    ~InterruptSignal();
    InterruptSignal(const InterruptSignal&) = delete;
    InterruptSignal& operator=(const InterruptSignal&) = delete;

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[std::size(kSignals)] {};
};
