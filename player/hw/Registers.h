#pragma once
// Every memory-mapped register the player touches, named as the hardware reference names them.
// This is the only file with volatile access; the rest of the player calls these.
#include <stdint.h>

#include "format/Handheld.h"

namespace hw {

// One register at a fixed address: assigning writes it, reading converts it.
template <typename T, uintptr_t kAddress>
struct Register {
    void operator=(T value) const { *reinterpret_cast<volatile T*>(kAddress) = value; }
    operator T() const { return *reinterpret_cast<volatile T*>(kAddress); }
};

// Display
inline constexpr Register<uint16_t, 0x04000000> DISPCNT{};
inline constexpr Register<uint16_t, 0x04000004> DISPSTAT{};
inline constexpr Register<uint16_t, 0x04000006> VCOUNT{};
inline constexpr uint16_t DISPCNT_MODE3 = 3;
inline constexpr uint16_t DISPCNT_BG2_ON = 1 << 10;
inline constexpr uint16_t DISPSTAT_VBLANK_IRQ = 1 << 3;
inline constexpr uint16_t kFirstVBlankLine = handheld::kScreenHeight;  // lines before it draw the screen

// Sound
inline constexpr Register<uint16_t, 0x04000082> SOUNDCNT_H{};
inline constexpr Register<uint16_t, 0x04000084> SOUNDCNT_X{};
inline constexpr uintptr_t FIFO_A = 0x040000A0;
inline constexpr uint16_t SOUNDCNT_X_MASTER_ENABLE = 1 << 7;
// Channel A at 100 %, left and right, clocked by timer 0, FIFO reset.
inline constexpr uint16_t SOUNDCNT_H_A_FULL_TM0_RESET = (1 << 2) | (1 << 8) | (1 << 9) | (1 << 11);

// DMA
inline constexpr Register<uintptr_t, 0x040000BC> DMA1SAD{};
inline constexpr Register<uintptr_t, 0x040000C0> DMA1DAD{};
inline constexpr Register<uint16_t, 0x040000C6> DMA1CNT_H{};
inline constexpr Register<uintptr_t, 0x040000D4> DMA3SAD{};
inline constexpr Register<uintptr_t, 0x040000D8> DMA3DAD{};
inline constexpr Register<uint32_t, 0x040000DC> DMA3CNT{};  // CNT_L (count) | CNT_H << 16
inline constexpr uint16_t DMA_DEST_FIXED = 2 << 5;
inline constexpr uint16_t DMA_SRC_FIXED = 2 << 7;
inline constexpr uint16_t DMA_REPEAT = 1 << 9;
inline constexpr uint16_t DMA_32BIT = 1 << 10;
inline constexpr uint16_t DMA_START_SPECIAL = 3 << 12;
inline constexpr uint16_t DMA_ENABLE = 1 << 15;
// Sound FIFO feed: 4 words per request, destination fixed, repeating.
inline constexpr uint16_t DMA_SOUND_FIFO = DMA_ENABLE | DMA_START_SPECIAL | DMA_32BIT | DMA_REPEAT | DMA_DEST_FIXED;

// Timers
inline constexpr Register<uint16_t, 0x04000100> TM0CNT_L{};
inline constexpr Register<uint16_t, 0x04000102> TM0CNT_H{};
inline constexpr Register<uint16_t, 0x04000108> TM2CNT_L{};
inline constexpr Register<uint16_t, 0x0400010A> TM2CNT_H{};
inline constexpr Register<uint16_t, 0x0400010C> TM3CNT_L{};
inline constexpr Register<uint16_t, 0x0400010E> TM3CNT_H{};
inline constexpr uint16_t TM_CASCADE = 1 << 2;
inline constexpr uint16_t TM_START = 1 << 7;

// Keys: 0 = pressed; bits 0..9 are the ten keys.
inline constexpr Register<uint16_t, 0x04000130> KEYINPUT{};
inline constexpr uint16_t kKeyMask = 0x03FF;
inline constexpr uint16_t KEY_A = 1 << 0;
inline constexpr uint16_t KEY_B = 1 << 1;
inline constexpr uint16_t KEY_SELECT = 1 << 2;
inline constexpr uint16_t KEY_START = 1 << 3;
inline constexpr uint16_t KEY_RIGHT = 1 << 4;
inline constexpr uint16_t KEY_LEFT = 1 << 5;
inline constexpr uint16_t KEY_UP = 1 << 6;
inline constexpr uint16_t KEY_DOWN = 1 << 7;
inline constexpr uint16_t KEY_R = 1 << 8;
inline constexpr uint16_t KEY_L = 1 << 9;

// Interrupts and system control
inline constexpr Register<uint16_t, 0x04000200> IE{};
inline constexpr Register<uint16_t, 0x04000202> IF{};  // write 1 to acknowledge a bit
inline constexpr Register<uint16_t, 0x04000204> WAITCNT{};
inline constexpr Register<uint16_t, 0x04000208> IME{};
inline constexpr uint16_t IRQ_VBLANK = 1 << 0;
inline constexpr uint16_t WAITCNT_PREFETCH = 1 << 14;

// BIOS work area: the user IRQ handler (entered in ARM state) and the flags IntrWait reads,
// which the handler sets.
inline constexpr Register<uintptr_t, 0x03007FFC> BIOS_IRQ_HANDLER{};
inline constexpr Register<uint16_t, 0x03007FF8> BIOS_IRQ_FLAGS{};

// Memory
inline constexpr uintptr_t kVram = 0x06000000;
// The cartridge's battery-backed SRAM, on an 8-bit bus: byte accesses only.
inline constexpr uintptr_t kSram = 0x0E000000;

inline uint8_t ReadSram(uint32_t offset) {
    return *reinterpret_cast<volatile const uint8_t*>(kSram + offset);
}

inline void WriteSram(uint32_t offset, uint8_t value) {
    *reinterpret_cast<volatile uint8_t*>(kSram + offset) = value;
}

// A byte of the cartridge read as it is now: for what image assembly may have written after
// the link, which the compiler must not take from the program's own initial values.
inline uint8_t ReadCartridgeByte(const void* address) {
    return *static_cast<volatile const uint8_t*>(address);
}

}  // namespace hw

namespace hw {

// DMA channel 3, immediate, 32-bit units; the CPU waits until it is done.
inline void Dma3Copy32(const void* source, void* destination, uint16_t words) {
    DMA3SAD = reinterpret_cast<uintptr_t>(source);
    DMA3DAD = reinterpret_cast<uintptr_t>(destination);
    DMA3CNT = words | static_cast<uint32_t>(DMA_ENABLE | DMA_32BIT) << 16;
}

inline void Dma3Copy16(const void* source, void* destination, uint16_t halfwords) {
    DMA3SAD = reinterpret_cast<uintptr_t>(source);
    DMA3DAD = reinterpret_cast<uintptr_t>(destination);
    DMA3CNT = halfwords | static_cast<uint32_t>(DMA_ENABLE) << 16;
}

// The source of Dma3Clear32. It must be in RAM: a cartridge source address always counts up,
// whatever the DMA control says.
inline constinit uint32_t gZeroWord = 0;

// Sets `words` words at `destination` to `*value`, which must be in RAM like gZeroWord.
inline void Dma3Fill32(void* destination, uint16_t words, const uint32_t* value) {
    DMA3SAD = reinterpret_cast<uintptr_t>(value);
    DMA3DAD = reinterpret_cast<uintptr_t>(destination);
    DMA3CNT = words | static_cast<uint32_t>(DMA_ENABLE | DMA_32BIT | DMA_SRC_FIXED) << 16;
}

// Sets `words` words at `destination` to zero: far faster than a loop run from the cartridge.
inline void Dma3Clear32(void* destination, uint16_t words) {
    Dma3Fill32(destination, words, &gZeroWord);
}

// Keeps the compiler from caching, across this point, memory the interrupt handler shares.
inline void SyncWithInterrupt() {
    asm volatile("" ::: "memory");
}

// IME = 0, then the barrier: no access to memory the handler shares moves before it.
inline void MaskInterrupts() {
    IME = 0;
    SyncWithInterrupt();
}

// The barrier, then IME = 1: every access to memory the handler shares is done before the
// handler can run. IME is volatile, but ordinary loads and stores may still move across a
// volatile store; only the barrier keeps them on their side of it.
inline void UnmaskInterrupts() {
    SyncWithInterrupt();
    IME = 1;
}

// Holds interrupts off (IME = 0) for its lifetime, then puts IME back as it was: around a DMA
// channel 3 set-up that the v-blank handler must not interleave with its own, or reads of
// what the handler changes that must agree with each other.
class InterruptsMasked {
public:
    InterruptsMasked() : saved_(IME) { MaskInterrupts(); }
    ~InterruptsMasked() {
        SyncWithInterrupt();
        IME = saved_;
    }
    InterruptsMasked(const InterruptsMasked&) = delete;
    InterruptsMasked& operator=(const InterruptsMasked&) = delete;

private:
    uint16_t saved_;
};

// Timers 2 and 3 chained into one 32-bit count of CPU cycles.
inline void StartCycleCounter() {
    TM2CNT_H = 0;
    TM3CNT_H = 0;
    TM2CNT_L = 0;
    TM3CNT_L = 0;
    TM3CNT_H = TM_CASCADE | TM_START;
    TM2CNT_H = TM_START;
}

inline uint32_t CycleCount() {
    uint32_t high;
    uint32_t low;
    do {
        high = TM3CNT_L;
        low = TM2CNT_L;
    } while (high != TM3CNT_L);
    return high << 16 | low;
}

}  // namespace hw
