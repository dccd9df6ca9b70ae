#include "player/PauseSound.h"

#include "format/PlayerLayout.h"
#include "player/ControlKeys.h"
#include "player/Interrupt.h"
#include "player/SharedBlock.h"
#include "player/SoundOutput.h"
#include "player/hw/Registers.h"

namespace {

using player_layout::kSoundBufferBytes;

// The ramps take 64 samples (3 ms): short enough not to be heard as a fade, long enough that the
// step to or from silence is not heard as a click. Arbitrary within that.
constexpr uint32_t kRampSamples = 64;

// Silent but for the ramp down while it plays; in external work RAM, which DMA channel 1 reads
// as well as internal.
[[gnu::section(".ewram.noinit")]] alignas(4) player_layout::SoundBuffer gPauseBuffer;

// The ramp from the last sample the sound buffer that has just played holds, to silence.
void RampDown() {
    const int32_t last = kavroShared.sound[gPass.playingBuffer].samples[kSoundBufferBytes - 1];
    for (uint32_t i = 0; i < kRampSamples; ++i) {
        gPauseBuffer.samples[i] = static_cast<int8_t>(last * static_cast<int32_t>(kRampSamples - i) /
                                                      static_cast<int32_t>(kRampSamples));
    }
}

// The block that plays next rises from silence to its own samples.
void RampUp(int8_t* samples) {
    for (uint32_t i = 0; i < kRampSamples; ++i) {
        samples[i] = static_cast<int8_t>(samples[i] * static_cast<int32_t>(i) / static_cast<int32_t>(kRampSamples));
    }
}

bool SoundStarted() {
    return gPass.soundOn && kavroShared.status.refreshCount > 0;
}

// The buffer the next v-blank of the resumed pass hands to DMA channel 1.
int8_t* NextBuffer() {
    auto& shared = kavroShared;
    const uint32_t next = shared.status.refreshCount + 1 >= gPass.soundStart ? gPass.playingBuffer ^ 1 : gPass.playingBuffer;
    return shared.sound[next].samples;
}

// A v-blank of the pause; false only for the v-blank that resumes a pass that has not begun.
bool PauseRefresh() {
    auto& status = kavroShared.status;
    switch (gPass.pause) {
    case kPauseAsked:
        status.paused = 1;
        if (SoundStarted()) {
            RampDown();
            sound::Feed(gPauseBuffer.samples);
            gPass.pause = kFading;
        } else {
            gPass.pause = kPaused;
        }
        return true;
    case kFading:
        sound::Stop();
        for (uint32_t i = 0; i < kRampSamples; ++i) gPauseBuffer.samples[i] = 0;
        gPass.pause = kPaused;
        return true;
    case kResumeAsked:
        gPass.pause = kPlaying;
        status.paused = 0;
        if (status.refreshCount == 0) {
            return false;
        }
        if (SoundStarted()) {
            sound::Start(gPauseBuffer.samples);
            RampUp(NextBuffer());
        }
        return true;
    default:
        return true;
    }
}

}  // namespace

void ClearPauseBuffer() {
    hw::Dma3Clear32(&gPauseBuffer, sizeof(gPauseBuffer) / 4);
}

bool HoldClock() {
    const bool held = PauseRefresh();
    if (held) {
        WatchControlKeys();
    }
    return held;
}
