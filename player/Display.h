#pragma once
// The screen in its 16-bit bitmap mode, and the work buffer in external work RAM where the
// decoder builds each picture before DMA channel 3 copies it to video memory.
#include <stdint.h>

// Where a picture of the stream's size sits in the work buffer, centred on the screen.
struct BlockGrid {
    uint32_t* origin;     // first word of the picture's top line; 2 pixels per word
    uint32_t blocksWide;  // 4 x 4 blocks
    uint32_t blocksHigh;
};

inline constexpr uint32_t kScreenWidth = 240;
inline constexpr uint32_t kScreenHeight = 160;
inline constexpr uint32_t kLineWords = kScreenWidth / 2;
inline constexpr uint32_t kScreenWords = kScreenWidth * kScreenHeight / 2;  // 0x4B00

void InitDisplay();

// Blacks out the work buffer and the screen, and places a width x height picture in the
// middle. Sizes are rounded up to whole blocks; a picture larger than the screen or empty
// gets no blocks at all.
BlockGrid ClearScreen(uint32_t width, uint32_t height);

// Copies the whole work buffer to video memory: about 153,600 cycles in which the CPU and
// every interrupt wait. Start it only in a v-blank, so that it ends before the next one.
void ShowWorkBuffer();

// True from the moment the v-blank interrupt has been handled to the end of the v-blank.
bool InHandledVBlank();
