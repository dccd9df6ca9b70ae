#include "platform/AbortEvent.h"

#include "platform/RunState.h"

bool RunAborted(const AbortEvent* event) {
    if (event && event->IsSignalled()) AbortRequested = true;
    return AbortRequested;
}
