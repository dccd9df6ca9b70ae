#pragma once
// A named, automatically resetting event that any process of the user can signal by name.
// It stands in for the host's named event with a POSIX named semaphore: a post signals it,
// a successful non-blocking wait consumes the signal.
#include <semaphore.h>

#include <string>

// The name of the event that aborts a running decode (without the leading '/').
inline constexpr const char* kAbortEventName = "KavroAbortEvent";

// One open handle on a named event. The owner (the one that created or opened it through
// CreateOrOpen) removes the name when the handle is destroyed, so that the event exists
// only while its owner runs.
class NamedEvent {
public:
    // Creates the event not signalled, or opens it when it exists. Null handle on failure.
    static NamedEvent CreateOrOpen(const std::string& name);

    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;
    ~NamedEvent();

    bool IsOpen() const { return semaphore != SEM_FAILED; }
    // True when the event was signalled; the signal is consumed. Never waits.
    [[nodiscard]] bool TestAndReset();

private:
    NamedEvent(sem_t* semaphore, std::string path);

    sem_t* semaphore = SEM_FAILED;  // the system's handle, closed by the destructor
    std::string path;               // "/" + name, unlinked by the destructor
};

// Signals the named event if it exists; false when it does not (nobody is waiting for it).
bool OpenAndSignalNamedEvent(const std::string& name);
