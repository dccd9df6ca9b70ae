#pragma once
// The screen in its 16-bit bitmap mode, and the two work buffers in external work RAM where
// the decoder builds pictures ahead of their turn before DMA channel 3 copies one to video
// memory. Record k of a pass is built in buffer k % 2.
#include <stdint.h>

#include "format/Handheld.h"

inline constexpr uint32_t kLineWords = handheld::kScreenWidth / 2;
inline constexpr uint32_t kScreenWords = handheld::kScreenWidth * handheld::kScreenHeight / 2;  // 0x4B00
inline constexpr uint32_t kWorkBuffers = 2;

// Where a picture of the stream's size sits in the work buffers, centred on the screen.
struct BlockGrid {
    uint32_t* origin[kWorkBuffers];  // first word of the picture's top line; 2 pixels per word
    uint32_t blocksWide;             // 4 x 4 blocks
    uint32_t blocksHigh;
};

void InitDisplay();

// Blacks out both work buffers and the screen, and places a width x height picture in the
// middle. Sizes are rounded up to whole blocks; a picture larger than the screen or empty
// gets no blocks at all.
BlockGrid ClearScreen(uint32_t width, uint32_t height);

// Blacks out the lines of work buffer `buffer` that the picture of `grid` covers, in pieces
// short enough that the v-blank handler, which waits while DMA channel 3 runs, stays on time.
void ClearWorkBuffer(const BlockGrid& grid, uint32_t buffer);

// Copies a whole work buffer to video memory: about 153,600 cycles in which the CPU and every
// interrupt wait. Start it only in a v-blank, so that it stays ahead of the display.
void ShowWorkBuffer(uint32_t buffer);

// True from the moment the v-blank interrupt has been handled to the end of the v-blank.
bool InHandledVBlank();
