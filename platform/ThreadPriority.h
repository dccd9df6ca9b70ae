#pragma once
// Thread priorities: the conversion's threads yield the processor to everything else.

// Puts the calling thread under SCHED_IDLE. Failure (a policy the system refuses) is
// ignored: the thread then keeps its priority and the work still gets done.
void SetCurrentThreadIdlePriority();
