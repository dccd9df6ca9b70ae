#include "platform/NamedEvent.h"

#include <fcntl.h>

#include <utility>

namespace {

std::string SemaphorePath(const std::string& name) { return "/" + name; }

}  // namespace

NamedEvent NamedEvent::CreateOrOpen(const std::string& name) {
    std::string path = SemaphorePath(name);
    // Only the user's own processes may signal it; initial count 0: not signalled.
    sem_t* semaphore = sem_open(path.c_str(), O_CREAT, 0600, 0);
    return NamedEvent(semaphore, std::move(path));
}

NamedEvent::NamedEvent(sem_t* semaphore, std::string path) : semaphore(semaphore), path(std::move(path)) {}

NamedEvent::~NamedEvent() {
    if (!IsOpen()) return;
    sem_close(semaphore);
    sem_unlink(path.c_str());
}

bool NamedEvent::TestAndReset() {
    if (!IsOpen()) return false;
    return sem_trywait(semaphore) == 0;
}

bool OpenAndSignalNamedEvent(const std::string& name) {
    sem_t* semaphore = sem_open(SemaphorePath(name).c_str(), 0);
    if (semaphore == SEM_FAILED) return false;
    const bool posted = sem_post(semaphore) == 0;
    sem_close(semaphore);
    return posted;
}
