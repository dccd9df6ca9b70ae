#include "player/Display.h"

#include "player/hw/Registers.h"

namespace {

// In external work RAM; start-up leaves them as they are, ClearScreen clears them.
[[gnu::section(".ewram.noinit")]] uint32_t gWorkBuffers[kWorkBuffers][kScreenWords];

}  // namespace

void InitDisplay() {
    hw::DISPCNT = hw::DISPCNT_MODE3 | hw::DISPCNT_BG2_ON;
}

BlockGrid ClearScreen(uint32_t width, uint32_t height) {
    for (auto& buffer : gWorkBuffers) {
        hw::Dma3Clear32(buffer, kScreenWords);
    }
    hw::Dma3Clear32(reinterpret_cast<void*>(hw::kVram), kScreenWords);

    using handheld::kScreenHeight, handheld::kScreenWidth;
    const uint32_t roundedWidth = (width + 3) & ~3u;
    const uint32_t roundedHeight = (height + 3) & ~3u;
    if (roundedWidth == 0 || roundedHeight == 0 || roundedWidth > kScreenWidth || roundedHeight > kScreenHeight) {
        return {{gWorkBuffers[0], gWorkBuffers[1]}, 0, 0};
    }
    // Both margins are multiples of 2 pixels, so the picture starts on a word.
    const uint32_t left = handheld::CentredOffset(kScreenWidth, roundedWidth);
    const uint32_t top = handheld::CentredOffset(kScreenHeight, roundedHeight);
    const uint32_t first = top * kLineWords + left / 2;
    return {{gWorkBuffers[0] + first, gWorkBuffers[1] + first}, roundedWidth / 4, roundedHeight / 4};
}

void ClearWorkBuffer(const BlockGrid& grid, uint32_t buffer) {
    // 1,024 words take about 7,000 cycles to external work RAM.
    constexpr uint32_t kPieceWords = 1024;
    uint32_t* const base = gWorkBuffers[buffer];
    uint32_t* const first = base + static_cast<uint32_t>(grid.origin[buffer] - base) / kLineWords * kLineWords;
    const uint32_t words = grid.blocksHigh * 4 * kLineWords;
    for (uint32_t done = 0; done < words; done += kPieceWords) {
        const uint32_t piece = words - done < kPieceWords ? words - done : kPieceWords;
        const hw::InterruptsMasked masked;  // the handler shows pictures with DMA channel 3 too
        hw::Dma3Clear32(first + done, static_cast<uint16_t>(piece));
    }
}

void ShowWorkBuffer(uint32_t buffer) {
    hw::Dma3Copy32(gWorkBuffers[buffer], reinterpret_cast<void*>(hw::kVram), kScreenWords);
}

bool InHandledVBlank() {
    return hw::VCOUNT >= hw::kFirstVBlankLine && (hw::IF & hw::IRQ_VBLANK) == 0;
}
