#include "player/Display.h"

#include "player/hw/Registers.h"

namespace {

// In external work RAM; start-up leaves it as it is, ClearScreen clears it.
[[gnu::section(".ewram.noinit")]] uint32_t gWorkBuffer[kScreenWords];
uint32_t gBlack = 0;

}  // namespace

void InitDisplay() {
    hw::DISPCNT = hw::DISPCNT_MODE3 | hw::DISPCNT_BG2_ON;
}

BlockGrid ClearScreen(uint32_t width, uint32_t height) {
    hw::Dma3Fill32(&gBlack, gWorkBuffer, kScreenWords);
    hw::Dma3Fill32(&gBlack, reinterpret_cast<void*>(hw::kVram), kScreenWords);

    const uint32_t roundedWidth = (width + 3) & ~3u;
    const uint32_t roundedHeight = (height + 3) & ~3u;
    if (roundedWidth == 0 || roundedHeight == 0 || roundedWidth > kScreenWidth || roundedHeight > kScreenHeight) {
        return {gWorkBuffer, 0, 0};
    }
    // Both margins are multiples of 2 pixels, so the picture starts on a word.
    const uint32_t left = (kScreenWidth - roundedWidth) / 2;
    const uint32_t top = (kScreenHeight - roundedHeight) / 2;
    return {gWorkBuffer + top * kLineWords + left / 2, roundedWidth / 4, roundedHeight / 4};
}

void ShowWorkBuffer() {
    hw::Dma3Copy32(gWorkBuffer, reinterpret_cast<void*>(hw::kVram), kScreenWords);
}

bool InHandledVBlank() {
    return hw::VCOUNT >= hw::kFirstVBlankLine && (hw::IF & hw::IRQ_VBLANK) == 0;
}
