#include "platform/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>

void SetCurrentThreadIdlePriority() {
    sched_param param{};
    param.sched_priority = 0;  // the only priority SCHED_IDLE accepts
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
}
