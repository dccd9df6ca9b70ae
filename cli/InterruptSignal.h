#pragma once
// Ctrl-C while converting: caught, so that the conversion can be aborted like the dialog's
// abort button, instead of killing the process with a half-written file.
#include <csignal>

class InterruptSignal {
public:
    // Installs the handler for SIGINT and SIGTERM; the previous handlers come back on destruction.
    InterruptSignal();
    ~InterruptSignal();
    InterruptSignal(const InterruptSignal&) = delete;
    InterruptSignal& operator=(const InterruptSignal&) = delete;

    // True once a signal has arrived.
    bool Raised() const;

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};
