#pragma once
// The BIOS calls the player uses.

namespace hw {

// Stops the CPU until an enabled interrupt is requested (IE & IF), whatever IME says, so a
// caller can test its wake-up condition with IME = 0 and halt without missing the interrupt.
// The memory clobber makes the compiler reload whatever the handler may have changed.
inline void Halt() {
#if defined(__thumb__)
    asm volatile("swi 0x02" ::: "r0", "r1", "r2", "r3", "memory");
#else
    asm volatile("swi 0x020000" ::: "r0", "r1", "r2", "r3", "memory");
#endif
}

// Keeps the compiler from caching, across this point, memory the interrupt handler shares.
inline void SyncWithInterrupt() {
    asm volatile("" ::: "memory");
}

}  // namespace hw
