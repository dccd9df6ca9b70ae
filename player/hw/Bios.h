#pragma once
// The BIOS calls the player uses.

namespace hw {

// IntrWait: sets IME = 1 and halts until the interrupt handler has flagged one of `flags`
// in BIOS_IRQ_FLAGS, then clears them there; returns at once if one is flagged already. So a
// caller can clear the flag with IME = 0, decide that it has nothing to do, and wait without
// missing an interrupt that comes in between. Halting alone is not enough: an interrupt is
// taken only some cycles after IME is set, and on the emulator a halt does not end for a
// request that was pending before it. The memory clobber makes the compiler reload whatever
// the handler may have changed.
inline void WaitForInterrupt(uint16_t flags) {
    register uint32_t keepOld asm("r0") = 0;
    register uint32_t wanted asm("r1") = flags;
#if defined(__thumb__)
    asm volatile("swi 0x04" : "+r"(keepOld), "+r"(wanted) : : "r2", "r3", "memory");
#else
    asm volatile("swi 0x040000" : "+r"(keepOld), "+r"(wanted) : : "r2", "r3", "memory");
#endif
}

}  // namespace hw
