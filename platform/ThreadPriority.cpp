#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

void SetCurrentThreadBackgroundPriority() {
    // On Linux the nice value belongs to each thread; PRIO_PROCESS with a thread id sets one thread's.
    setpriority(PRIO_PROCESS, id_t(gettid()), 19);
}
