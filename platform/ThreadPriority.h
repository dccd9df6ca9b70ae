#pragma once
// Thread priorities: a conversion that should leave the processor to everything else.

// Gives the calling thread the weakest nice value, 19, which threads it starts inherit. It
// still gets its share of a busy processor (SCHED_IDLE would starve it behind any busy
// process). Failure is ignored: the thread keeps its priority and the work still gets done.
void SetCurrentThreadBackgroundPriority();
