#pragma once
// Fixed addresses in the handheld's internal work RAM where the player keeps its two sound
// buffers and a status block, so that tools on the host can follow playback in emulator
// memory without the player's symbol map. Freestanding: the player and the host both
// include this header. The player's linker script puts `PlayerShared` at kSharedAddress
// and fails the link if it lands anywhere else. All fields are little-endian.
#include <stddef.h>
#include <stdint.h>

#include "format/Handheld.h"

namespace player_layout {

inline constexpr uint32_t kSharedAddress = 0x03000000;  // first byte of internal work RAM
inline constexpr uint32_t kSoundBufferBytes = handheld::kSamplesPerRefresh;  // signed 8-bit samples
inline constexpr uint32_t kNoRecord = 0xFFFFFFFF;

// One buffer that DMA channel 1 feeds to sound FIFO A. The FIFO reads up to 16 bytes ahead,
// so a late buffer swap reads into the guard, which stays zero (silence).
struct SoundBuffer {
    int8_t samples[kSoundBufferBytes];
    int8_t guard[16];
};

// Written by the player only. "Refresh" is one v-blank while a pass runs. When a pass
// starts, every field is set at once (interrupts masked); until then the fields keep the last
// pass's figures.
struct PlayerStatus {
    // Passes started since power-on; the next v-blank is the new pass's refresh 1. The first
    // pass and each pass of the loop start with their first record decoded; a pass that a
    // change of the keys starts decodes it afterwards and shows it as soon as it is drawn.
    // A pass of the loop starts once the last record has been on the screen for a refresh,
    // and its pace carries on from the pass before, so that its first record replaces the
    // last one when the last one's time is over.
    uint32_t passCount;
    // Refreshes of the current pass: 0 at its start, +1 at each v-blank (the first is 1).
    uint32_t refreshCount;
    // floor(refreshCount x frameStep / 65536), kept with refreshCount at each v-blank: how
    // many frame records the pace has called for so far in this pass (in a pass of the loop,
    // plus the pace carried over from the pass before).
    uint32_t framesDue;
    // Index of the pass's frame record on the screen: kNoRecord from power-on, and from the
    // start of a pass until one of its records' copy to video memory completes (the screen
    // keeps the last pass's picture meanwhile); then that record's index. A copy starts in a v-blank, normally in the v-blank handler right after
    // its sound work, so the record is what the whole display period after that v-blank shows.
    uint32_t shownRecord;
    // ADPCM blocks not decoded yet: AudioBlockCount at the pass start (0 without sound),
    // -1 with every block decoded at a v-blank: at refresh 1, then at every refresh from the
    // one at which the first block starts to play. The sound stops when it reaches 0.
    uint32_t audioBlocksLeft;
    // Sound buffer (0 or 1) that the v-blank handler decoded the latest block into; it plays
    // from the next v-blank on (from the sound's start refresh, for the first block), while
    // the other one plays now. Set with audioBlocksLeft; 1 at the pass start (refresh 1
    // starts the sound on buffer 0, silent until the first block plays, and fills 1).
    uint32_t fillingBuffer;
    // Frame records of this pass that were not on the screen at the refresh they were due
    // (shown late, or drawn but never shown because a later record was due already).
    uint32_t lateFrames;
    // Index of the frame record decoded last (kNoRecord before the first), and the CPU cycles
    // (2^24 Hz) that decoding it took: stalls by the interrupt handler's sound work included,
    // its copies of finished pictures to the screen not. Both are set when the record has been
    // drawn into its work buffer; record 0's with the pass start. Records are drawn up to one
    // ahead of the screen, so record 1's may replace record 0's before the first refresh.
    uint32_t decodedRecord;
    uint32_t decodeCycles;
    // The pass's first record: 0, or the seek point that a seek, a restart or a resume after
    // power-off started it at (images with controls). Record indices above count from record 0.
    uint32_t firstRecord;
    // 1 from the v-blank that takes a pause (or from the start of a pass that begins paused) to
    // the v-blank that takes the resume; refreshCount, framesDue and the sound stand still
    // meanwhile. Always 0 without controls.
    uint32_t paused;
};

struct PlayerShared {
    SoundBuffer sound[2];
    PlayerStatus status;
};

inline constexpr uint32_t kSoundBufferAddress[2] = {
    kSharedAddress + offsetof(PlayerShared, sound),
    kSharedAddress + offsetof(PlayerShared, sound) + sizeof(SoundBuffer),
};
inline constexpr uint32_t kStatusAddress = kSharedAddress + offsetof(PlayerShared, status);

static_assert(sizeof(SoundBuffer) % 16 == 0, "DMA and FIFO move 16 bytes at a time");
static_assert(kSoundBufferAddress[0] == 0x03000000 && kSoundBufferAddress[1] == 0x03000170);
static_assert(kStatusAddress == 0x030002E0 && sizeof(PlayerStatus) == 44);

}  // namespace player_layout
