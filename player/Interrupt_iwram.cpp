#include "player/Interrupt.h"

#include "player/AdpcmDecoder.h"
#include "player/ControlKeys.h"
#include "player/FrameHandOver.h"
#include "player/PauseSound.h"
#include "player/SeekTable.h"
#include "player/SharedBlock.h"
#include "player/SoundOutput.h"
#include "player/hw/Registers.h"

constinit PassState gPass{};

namespace {

// Refresh 1 starts the sound on buffer 0, which the pass cleared, and decodes the first block
// into buffer 1. Buffer 0 plays again until the sound's start refresh, which moves DMA channel 1
// to buffer 1; from then on every refresh moves it to the buffer decoded at the refresh before.
inline void FeedSound(uint32_t refresh) {
    auto& shared = kavroShared;
    if (refresh == 1) {
        gPass.playingBuffer = 0;
        sound::Start(shared.sound[0].samples);
        return;
    }
    if (refresh >= gPass.soundStart) {
        gPass.playingBuffer ^= 1;
    }
    sound::Feed(shared.sound[gPass.playingBuffer].samples);
}

// Whether this refresh decodes a block: the first, and each one from the start refresh on.
inline bool DecodesSound(uint32_t refresh) {
    return refresh == 1 || refresh >= gPass.soundStart;
}

inline void StopSound() {
    sound::Stop();
    gPass.soundOn = false;
}

inline void DecodeNextSoundBlock() {
    auto& shared = kavroShared;
    const uint32_t fill = gPass.playingBuffer ^ 1;
    if (gPass.adpcmNext == gPass.restartAt) {
        StartAdpcmAfresh();
    }
    DecodeAdpcmBlock(gPass.adpcmNext, shared.sound[fill].samples, gPass.adpcm);
    gPass.adpcmNext += kAdpcmBlockBytes;
    shared.status.fillingBuffer = fill;
    if (--shared.status.audioBlocksLeft == 0) {
        StopSound();
    }
}

// framesDue = floor(refreshCount x frameStep / 65536), advanced by one refresh.
inline void Pace() {
    auto& status = kavroShared.status;
    gPass.framesDueBefore = status.framesDue;
    const uint32_t fraction = gPass.paceFraction + (gPass.frameStep & 0xFFFF);
    status.framesDue += (gPass.frameStep >> 16) + (fraction >> 16);
    gPass.paceFraction = fraction & 0xFFFF;
}

inline void OnRefresh() {
    if (gPass.pause != kPlaying && HoldClock()) {
        return;
    }
    auto& status = kavroShared.status;
    const uint32_t refresh = ++status.refreshCount;
    if (gPass.soundOn) {
        FeedSound(refresh);
    }
    if (gPass.controls) {
        WatchControlKeys();
    } else if ((hw::KEYINPUT & hw::kKeyMask) != gPass.keys) {
        gPass.keysChanged = true;
        if (gPass.soundOn) {
            StopSound();
        }
    }
    Pace();
    if (gPass.soundOn && DecodesSound(refresh)) {
        DecodeNextSoundBlock();
    }
    if (!gPass.keysChanged) {
        PresentDueFrame(true);
    }
}

}  // namespace

void HandleInterrupt() {
    const uint16_t raised = hw::IF & hw::IE;
    hw::IF = raised;
    hw::BIOS_IRQ_FLAGS = hw::BIOS_IRQ_FLAGS | raised;
    if ((raised & hw::IRQ_VBLANK) && gPass.running) {
        OnRefresh();
    }
}
